// The page-turn effect.
import { Player } from './player.js';
import { h, root } from './dom.js';

var JUMP_MS = 150;

// A forward turn lifts the outer page on the reading side: the right side in a
// left-to-right book and the left side in a right-to-left one.
Player.prototype.animateTurn = function (from, to, forward) {
    this.finishFlip();
    this.fitView(to);
    var self = this;
    var fromRight = forward !== this.cfg.rtl;
    var single = this.mode === 'single';
    if (!this.flipMs) {
        this.fillSlot(this.slotLeft, to.left);
        this.fillSlot(this.slotRight, to.right);
        this.afterMove();
        return Promise.resolve(this.current);
    }
    var leaf = h('div', { className: 'lc-leaf', 'aria-hidden': 'true' });
    // A jump past the next pages (page box, contents, thumbnails) turns quickly: the reader wants
    // to be there, not to watch.
    var ms = Math.abs(to.key - from.key) > (single ? 1 : 2) ? Math.min(this.flipMs, JUMP_MS) : this.flipMs;
    leaf.style.setProperty('--lc-flip-ms', ms + 'ms');
    var front = h('div', { className: 'lc-leaf-face lc-leaf-front' });
    var back = h('div', { className: 'lc-leaf-face lc-leaf-back' });
    var shade = h('div', { className: 'lc-leaf-shade' });
    leaf.appendChild(front);
    leaf.appendChild(back);
    leaf.appendChild(shade);
    var endAngle;
    if (single) {
        // One page: the old page lifts away, or the new one lays itself down on top.
        leaf.classList.add('lc-leaf-full');
        leaf.style.transformOrigin = this.cfg.rtl ? 'right center' : 'left center';
        var away = this.cfg.rtl ? 180 : -180;
        if (forward) {
            front.appendChild(this.pageView(from.right, false, single ? 'centre' : 'right'));
            this.fillSlot(this.slotRight, to.right);
            leaf.style.transform = 'rotateY(0deg)';
            endAngle = away;
        } else {
            front.appendChild(this.pageView(to.right, false, single ? 'centre' : 'right'));
            leaf.style.transform = 'rotateY(' + away + 'deg)';
            endAngle = 0;
        }
    } else if (fromRight) {
        leaf.classList.add('lc-leaf-right');
        if (from.right) front.appendChild(this.pageView(from.right, false, single ? 'centre' : 'right')); else leaf.classList.add('lc-front-blank');
        if (to.left) back.appendChild(this.pageView(to.left, false, single ? 'centre' : 'left')); else leaf.classList.add('lc-back-blank');
        this.fillSlot(this.slotRight, to.right);
        leaf.style.transform = 'rotateY(0deg)';
        endAngle = -180;
    } else {
        leaf.classList.add('lc-leaf-left');
        if (from.left) front.appendChild(this.pageView(from.left, false, single ? 'centre' : 'left')); else leaf.classList.add('lc-front-blank');
        if (to.right) back.appendChild(this.pageView(to.right, false, single ? 'centre' : 'right')); else leaf.classList.add('lc-back-blank');
        this.fillSlot(this.slotLeft, to.left);
        leaf.style.transform = 'rotateY(0deg)';
        endAngle = 180;
    }
    this.bookEl.appendChild(leaf);
    this.turning = true;
    this.afterMove();
    return new Promise(function (resolve) {
        var flip = {
            leaf: leaf,
            done: false,
            finish: function () {
                if (flip.done) return;
                flip.done = true;
                clearTimeout(flip.timer);
                leaf.remove();
                if (!single) {
                    if (fromRight) self.fillSlot(self.slotLeft, to.left);
                    else self.fillSlot(self.slotRight, to.right);
                } else if (!forward) {
                    self.fillSlot(self.slotRight, to.right);
                }
                self.updateEdges();
                if (self.flip === flip) {
                    self.flip = null;
                    self.turning = false;
                    // What the turn left for later, once the new pages are painted, unless
                    // another turn has started.
                    var idle = root.requestIdleCallback || function (f) { return setTimeout(f, 30); };
                    idle(function () { if (!self.turning) self.preload(); }, { timeout: 1000 });
                }
                self.emit('flip', { page: self.current });
                resolve(self.current);
            }
        };
        self.flip = flip;
        leaf.getBoundingClientRect(); // start the transition from the first frame
        requestAnimationFrame(function () {
            if (flip.done) return;
            leaf.classList.add('lc-turning');
            leaf.style.transform = 'rotateY(' + endAngle + 'deg)';
        });
        flip.timer = setTimeout(flip.finish, ms + 60);
    });
};

Player.prototype.finishFlip = function () {
    if (this.flip) this.flip.finish();
};
