// The Panoramic template's background: a cube of six pictures around the reader.
import { Player } from './player.js';
import { h, root } from './dom.js';

Player.prototype.buildPanorama = function () {
    var self = this, faces = this.cfg.panorama.faces;
    if (!faces.front) return;
    var probe = new Image();
    probe.onload = function () {
        var pano = h('div', { className: 'lc-pano' });
        var cube = h('div', { className: 'lc-cube' });
        ['front', 'back', 'left', 'right', 'top', 'bottom'].forEach(function (name) {
            if (!faces[name]) return;
            var face = h('div', { className: 'lc-face-' + name + ' lc-cube-face' });
            face.style.backgroundImage = 'url("' + encodeURI(faces[name]).replace(/"/g, '%22') + '")';
            cube.appendChild(face);
        });
        pano.appendChild(cube);
        self.background.appendChild(pano);
        self.pano = { el: pano, cube: cube, pan: self.cfg.panorama.pan, tilt: self.cfg.panorama.tilt };
        self.layoutPanorama();
        // Open on the configured camera and settle to eye level; then the cube stands still
        // until the reader drags it (no frame is drawn while nothing moves).
        var t0 = performance.now(), tilt0 = self.pano.tilt;
        function step(now) {
            if (!self.pano || self.pano.dragging) return;
            var k = Math.min(1, (now - t0) / 2500);
            self.pano.tilt = tilt0 * Math.pow(1 - k, 3);
            self.pano.pan += 0.02;
            self.layoutPanorama();
            if (k < 1) requestAnimationFrame(step);
        }
        if (self.flipMs > 0) requestAnimationFrame(step);
        else { self.pano.tilt = 0; self.layoutPanorama(); }
    };
    probe.src = faces.front;
    // The whole background turns the cube: the stage around the book as well.
    var onBackground = function (t) {
        return t === self.background || self.background.contains(t) || t === self.stage || t === self.tiltEl ||
            t === self.bookEl || t.classList.contains('lc-empty');
    };
    this.host.addEventListener('pointerdown', function (e) {
        if (!self.pano || !onBackground(e.target)) return;
        var x = e.clientX, y = e.clientY, pan = self.pano.pan, tilt = self.pano.tilt;
        self.pano.dragging = true;
        self.pano.dragged = false;
        function move(ev) {
            if (Math.abs(ev.clientX - x) + Math.abs(ev.clientY - y) > 4) self.pano.dragged = true;
            self.pano.pan = pan + (ev.clientX - x) * 0.2;
            self.pano.tilt = Math.max(-85, Math.min(85, tilt - (ev.clientY - y) * 0.2));
            self.layoutPanorama();
        }
        function up() {
            self.pano.dragging = false;
            setTimeout(function () { if (self.pano) self.pano.dragged = false; });
            root.removeEventListener('pointermove', move);
            root.removeEventListener('pointerup', up);
        }
        root.addEventListener('pointermove', move);
        root.addEventListener('pointerup', up);
    });
};

Player.prototype.layoutPanorama = function () {
    if (!this.pano) return;
    var w = this.host.clientWidth, hgt = this.host.clientHeight;
    var size = Math.ceil(Math.max(w, hgt));
    var half = size / 2;
    this.pano.el.style.perspective = half + 'px';
    var c = this.pano.cube.style;
    c.width = c.height = size + 'px';
    c.marginLeft = c.marginTop = -half + 'px';
    c.transform = 'translateZ(' + half + 'px) rotateX(' + (-this.pano.tilt) + 'deg) rotateY(' + this.pano.pan + 'deg)';
    var t = {
        front: 'translateZ(' + -half + 'px)',
        back: 'rotateY(180deg) translateZ(' + -half + 'px)',
        left: 'rotateY(90deg) translateZ(' + -half + 'px)',
        right: 'rotateY(-90deg) translateZ(' + -half + 'px)',
        top: 'rotateX(-90deg) translateZ(' + -half + 'px)',
        bottom: 'rotateX(90deg) translateZ(' + -half + 'px)'
    };
    for (var f = this.pano.cube.firstElementChild; f; f = f.nextElementSibling) {
        var name = f.className.replace(/^lc-face-(\w+).*$/, '$1');
        f.style.transform = t[name] + ' scale(1.004)'; // faces overlap a hair: no seam shows between them
    }
};
