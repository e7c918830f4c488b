// Leafcraft phone slide viewer: one page picture at a time, moved with the finger.
//
// The page size, page count and picture folder come from the options the publisher writes
// into index.html (the #fbbookOptions block, an object text such as
// {pageWidth:800,pageHeight:600,totalPage:12,zoomPageDir:"../files/mobile/",normalPageDir:"../files/mobile/"}).
// The logo, its link and the reading direction come from the optional `bookConfig` object
// in javascript/config.js. Plain script, so that it runs from file:// and from a server.
(function () {
  "use strict";

  // Reads the option text without running it: keys are words, values numbers or quoted texts.
  function parseOptions(text) {
    var options = {};
    var re = /([A-Za-z_$][\w$]*)\s*:\s*("(?:[^"\\\r\n]|\\.)*"|-?\d+(?:\.\d+)?)/g;
    var m;
    while ((m = re.exec(text || ""))) {
      try {
        options[m[1]] = JSON.parse(m[2]);
      } catch (e) { /* a malformed value is left out */ }
    }
    return options;
  }

  function isSafeUrl(text) {
    var u = String(text).trim();
    return u !== "" && !/[\u0000-\u001f]/.test(u) && (/^(https?:|mailto:)/i.test(u) || !/^[a-z][a-z0-9+.\-]*:/i.test(u));
  }

  function $(id) { return document.getElementById(id); }

  function Slides() {
    var block = $("fbbookOptions");
    var o = parseOptions(block ? block.textContent : "");
    /* global bookConfig */
    var c = (typeof bookConfig === "object" && bookConfig) ? bookConfig : {};
    var total = Math.floor(Number(o.totalPage) || Number(c.totalPageCount) || 0);
    this.dir = typeof o.normalPageDir === "string" ? o.normalPageDir : "../files/mobile/";
    this.numbers = [];
    if (Array.isArray(c.pageNumbers) && c.pageNumbers.length === total) this.numbers = c.pageNumbers.slice();
    else for (var n = 1; n <= Math.min(total, 100000); n++) this.numbers.push(n);
    this.count = this.numbers.length;
    this.rtl = c.RightToLeft === "Yes";
    this.config = c;
    this.index = 0;
    this.drag = null;
  }

  Slides.prototype.start = function () {
    var c = this.config;
    var title = $("title");
    // An unfilled page (opened straight from the template) still reads "${index.title}".
    if (/^\$\{index\.title\}$/.test(title.textContent)) title.textContent = "";
    if (typeof c.bookTitle === "string" && c.bookTitle && !title.textContent) {
      title.textContent = c.bookTitle;
      document.title = c.bookTitle;
    }
    if (typeof c.appLogoIcon === "string" && c.appLogoIcon) {
      var logo = $("logo");
      var img = $("logoImg");
      img.onerror = function () { logo.hidden = true; };
      img.src = c.appLogoIcon;
      img.alt = title.textContent || "Logo";
      logo.hidden = false;
      if (typeof c.appLogoLinkURL === "string" && isSafeUrl(c.appLogoLinkURL)) {
        logo.href = c.appLogoLinkURL.trim();
        logo.target = "_blank";
        logo.rel = "noopener";
      }
    }
    document.body.classList.toggle("rtl", this.rtl);

    var track = $("track");
    for (var i = 0; i < this.count; i++) {
      var slide = document.createElement("div");
      slide.className = "slide";
      var img2 = document.createElement("img");
      img2.alt = "";
      img2.draggable = false;
      var missing = document.createElement("span");
      missing.className = "missing";
      missing.textContent = String(i + 1);
      slide.appendChild(img2);
      slide.appendChild(missing);
      track.appendChild(slide);
    }
    // Right to left: the first page is the rightmost slide.
    track.style.flexDirection = this.rtl ? "row-reverse" : "row";
    this.bind();
    this.go(0, false);
    document.body.dataset.total = String(this.count);
    document.body.dataset.ready = "1";
  };

  // Offset of the track, in pixels, that shows slide i plus a finger movement dx.
  Slides.prototype.offset = function (i, dx) {
    var w = $("stage").clientWidth;
    // Laid out in reverse, slide 0 sits in view and the later slides extend to the left.
    return (this.rtl ? i * w : -i * w) + (dx || 0);
  };

  Slides.prototype.place = function (dx, animate) {
    var track = $("track");
    track.classList.toggle("animate", !!animate);
    track.style.transform = "translate3d(" + this.offset(this.index, dx) + "px,0,0)";
  };

  Slides.prototype.load = function (i) {
    if (i < 0 || i >= this.count) return;
    var slide = $("track").children[i];
    var img = slide.querySelector("img");
    if (img.getAttribute("src")) return;
    img.onerror = function () { slide.classList.add("broken"); };
    img.setAttribute("src", this.dir + this.numbers[i] + ".jpg");
  };

  Slides.prototype.go = function (i, animate) {
    if (this.count === 0) {
      $("counter").textContent = "0 / 0";
      document.body.dataset.page = "0";
      return;
    }
    this.index = Math.max(0, Math.min(this.count - 1, i));
    this.load(this.index);
    this.load(this.index + 1);
    this.load(this.index - 1);
    this.place(0, animate !== false);
    $("counter").textContent = (this.index + 1) + " / " + this.count;
    document.body.dataset.page = String(this.index + 1);
  };

  // "left"/"right" are places on the screen; which page they lead to follows the direction.
  Slides.prototype.side = function (side) {
    var forward = (side === "right") !== this.rtl;
    this.go(this.index + (forward ? 1 : -1));
  };

  Slides.prototype.bind = function () {
    var self = this;
    $("btnLeft").addEventListener("click", function () { self.side("left"); });
    $("btnRight").addEventListener("click", function () { self.side("right"); });
    var stage = $("stage");
    stage.addEventListener("pointerdown", function (e) {
      if (!e.isPrimary) return;
      self.drag = { x: e.clientX, y: e.clientY, id: e.pointerId, dx: 0 };
    });
    stage.addEventListener("pointermove", function (e) {
      if (!self.drag || e.pointerId !== self.drag.id) return;
      self.drag.dx = e.clientX - self.drag.x;
      self.place(self.drag.dx, false);
    });
    function end(e, cancelled) {
      if (!self.drag || e.pointerId !== self.drag.id) return;
      var dx = e.clientX - self.drag.x;
      var dy = e.clientY - self.drag.y;
      self.drag = null;
      if (cancelled) return self.place(0, true);
      if (Math.abs(dx) >= 30 && Math.abs(dx) > Math.abs(dy)) {
        self.side(dx < 0 ? "right" : "left"); // the finger pulls the next picture in from that side
      } else if (Math.abs(dx) < 10 && Math.abs(dy) < 10) {
        var rect = stage.getBoundingClientRect();
        self.side(e.clientX - rect.left < rect.width / 2 ? "left" : "right");
      } else {
        self.place(0, true);
      }
    }
    stage.addEventListener("pointerup", function (e) { end(e, false); });
    stage.addEventListener("pointercancel", function (e) { end(e, true); });
    document.addEventListener("keydown", function (e) {
      if (e.key === "ArrowLeft") self.side("left");
      else if (e.key === "ArrowRight") self.side("right");
    });
    window.addEventListener("resize", function () { self.place(0, false); });
  };

  function boot() {
    var slides = new Slides();
    window.leafcraftSlides = slides;
    slides.start();
  }
  if (document.readyState === "loading") document.addEventListener("DOMContentLoaded", boot);
  else setTimeout(boot, 0);
})();
