// Leafcraft phone book: one page at a time, turned like a paper leaf.
//
// The publisher writes this file as javascript/main.js followed by the book's settings,
// a global `bookConfig` object (title, logo, colours, page count and size, picture folder,
// reading direction, auto play). Opened as main_preview.js, without settings, it shows
// the defaults below. The pictures are `<largePath><n>.jpg` for the page numbers n of
// `bookConfig.pageNumbers`, or 1 to `totalPageCount` when that list is absent.
//
// Plain script without modules, so that it runs from file:// as well as from a server.
// The code lives in a function so that the settings text after it (which assigns a few
// globals without declaring them) runs in sloppy mode.
(function () {
  "use strict";

  var DEFAULTS = {
    bookTitle: "",
    bookDescription: "",
    appLogoIcon: "",
    appLogoLinkURL: "",
    OpenWindow: "Blank",
    pageBackgroundColor: "#30373A",
    bgBeginColor: "#FF9900",
    bgEndColor: "#e8ac4d",
    bgMRotation: 90,
    backGroundImgURL: "",
    RightToLeft: "No",
    ShareButtonVisible: "Show",
    ThumbnailsButtonVisible: "Show",
    ZoomButtonVisible: "Show",
    enableAutoPlay: "No",
    autoPlayDuration: 3,
    autoPlayLoopCount: 0,
    OriginPageIndex: 1,
    totalPageCount: 0,
    largePageWidth: 1080,
    largePageHeight: 1440,
    topMargin: 10,
    bottomMargin: 10,
    leftMargin: 10,
    rightMargin: 10,
    normalPath: "../files/mobile/",
    largePath: "../files/mobile/",
    thumbPath: "../files/mobile/"
  };
  var TURN_MS = 450;

  function readSettings() {
    /* global bookConfig */
    var given = (typeof bookConfig === "object" && bookConfig) ? bookConfig : {};
    var s = {};
    Object.keys(DEFAULTS).forEach(function (key) {
      var def = DEFAULTS[key];
      var raw = given[key];
      if (typeof def === "number") {
        var num = (raw === "" || raw === null || raw === undefined) ? NaN : Number(raw);
        s[key] = isFinite(num) ? num : def;
      } else {
        s[key] = (raw === undefined || raw === null) ? def : String(raw);
      }
    });
    s.pageNumbers = pageNumbersOf(given.pageNumbers, s.totalPageCount);
    return s;
  }

  function pageNumbersOf(list, total) {
    if (Array.isArray(list) && list.length && list.every(function (n) { return n === Math.floor(n) && n >= 0; }))
      return list.slice();
    var numbers = [];
    for (var n = 1; n <= Math.min(Math.floor(total), 100000); n++) numbers.push(n);
    return numbers;
  }

  function isColour(text) {
    return /^#(?:[0-9a-f]{3,4}|[0-9a-f]{6}|[0-9a-f]{8})$/i.test(text);
  }

  // Links may go to the web, to mail, or to a relative path; never to script.
  function isSafeUrl(text) {
    var u = String(text).trim();
    return u !== "" && !/[\u0000-\u001f]/.test(u) && (/^(https?:|mailto:)/i.test(u) || !/^[a-z][a-z0-9+.\-]*:/i.test(u));
  }

  function cssUrl(text) {
    return 'url("' + String(text).replace(/[\\"\u0000-\u001f]/g, function (c) {
      return "\\" + c.charCodeAt(0).toString(16) + " ";
    }) + '")';
  }

  function $(id) { return document.getElementById(id); }

  function FlipBook(s) {
    this.s = s;
    this.rtl = s.RightToLeft === "Yes";
    this.count = s.pageNumbers.length;
    this.index = 0;
    this.turning = null;
    this.zoom = 1;
    this.playTimer = 0;
    this.loopsLeft = 0;
  }

  FlipBook.prototype.pictureUrl = function (i, folder) {
    return (folder || this.s.largePath) + this.s.pageNumbers[i] + ".jpg";
  };

  FlipBook.prototype.start = function () {
    var s = this.s;
    var body = document.body;
    body.classList.toggle("rtl", this.rtl);
    body.dir = this.rtl ? "rtl" : "ltr";
    $("toolbar").dir = "ltr"; // the arrows keep their screen sides; what they turn to follows the direction

    if (s.bookTitle) document.title = s.bookTitle;
    $("title").textContent = s.bookTitle;
    $("description").textContent = s.bookDescription;

    var logo = $("logo");
    if (s.appLogoIcon) {
      var img = $("logoImg");
      img.onerror = function () { logo.hidden = true; };
      img.src = s.appLogoIcon;
      img.alt = s.bookTitle ? s.bookTitle : "Logo";
      logo.hidden = false;
      if (isSafeUrl(s.appLogoLinkURL)) {
        logo.href = s.appLogoLinkURL.trim();
        if (s.OpenWindow === "Blank") { logo.target = "_blank"; logo.rel = "noopener"; }
      }
    }

    var begin = isColour(s.bgBeginColor) ? s.bgBeginColor : DEFAULTS.bgBeginColor;
    var end = isColour(s.bgEndColor) ? s.bgEndColor : DEFAULTS.bgEndColor;
    // The angle counts like the desktop book's: 90 runs from top to bottom.
    var gradient = "linear-gradient(" + (s.bgMRotation + 90) + "deg, " + begin + ", " + end + ")";
    body.style.backgroundImage = s.backGroundImgURL ? cssUrl(s.backGroundImgURL) + ", " + gradient : gradient;
    if (isColour(s.pageBackgroundColor)) {
      var pages = document.querySelectorAll(".page, .leaf");
      for (var p = 0; p < pages.length; p++) pages[p].style.backgroundColor = s.pageBackgroundColor;
    }

    $("btnThumbs").hidden = s.ThumbnailsButtonVisible !== "Show";
    $("btnZoom").hidden = s.ZoomButtonVisible !== "Show";
    $("btnShare").hidden = s.ShareButtonVisible !== "Show";
    $("btnPlay").hidden = s.enableAutoPlay !== "Yes";

    var wanted = pageFromHash();
    if (wanted === null) wanted = s.OriginPageIndex;
    this.index = this.clamp(Math.floor(wanted) - 1);
    this.bindControls();
    this.layout();
    this.show(this.index);
    body.dataset.total = String(this.count);
    body.dataset.ready = "1";
    if (s.enableAutoPlay === "Yes") this.play();
  };

  function pageFromHash() {
    var m = /^#p=(\d+)$/.exec(location.hash);
    return m ? Number(m[1]) : null;
  }

  FlipBook.prototype.clamp = function (i) {
    return Math.max(0, Math.min(this.count - 1, i));
  };

  // Fits the page into the stage (less its margins), keeping the page's proportions.
  FlipBook.prototype.layout = function () {
    var s = this.s;
    var stage = $("stage");
    var w = Math.max(40, stage.clientWidth - s.leftMargin - s.rightMargin);
    var h = Math.max(40, stage.clientHeight - s.topMargin - s.bottomMargin);
    var ratio = s.largePageWidth > 0 && s.largePageHeight > 0 ? s.largePageWidth / s.largePageHeight : 0.75;
    var bw = Math.min(w, h * ratio);
    var bh = bw / ratio;
    bw *= this.zoom;
    bh *= this.zoom;
    var book = $("book");
    book.style.width = Math.round(bw) + "px";
    book.style.height = Math.round(bh) + "px";
    book.style.left = Math.round(Math.max(s.leftMargin, (stage.clientWidth - bw) / 2)) + "px";
    book.style.top = Math.round(Math.max(s.topMargin, (stage.clientHeight - bh) / 2)) + "px";
  };

  function setPicture(layer, url, label) {
    var img = layer.querySelector("img");
    layer.classList.remove("broken");
    layer.querySelector(".missing").textContent = label;
    img.onerror = function () { layer.classList.add("broken"); };
    if (img.getAttribute("src") !== url) img.setAttribute("src", url);
  }

  FlipBook.prototype.label = function (i) {
    return String(i + 1);
  };

  // Shows page i at once, without a turn.
  FlipBook.prototype.show = function (i) {
    if (this.count === 0) {
      $("counter").textContent = "0 / 0";
      document.body.dataset.page = "0";
      $("pageTop").classList.add("broken");
      return;
    }
    this.index = i;
    setPicture($("pageTop"), this.pictureUrl(i), this.label(i));
    this.announce();
    this.preload(i + 1);
    this.preload(i - 1);
  };

  FlipBook.prototype.announce = function () {
    $("counter").textContent = (this.index + 1) + " / " + this.count;
    document.body.dataset.page = String(this.index + 1);
    var thumbs = $("thumbGrid").children;
    for (var t = 0; t < thumbs.length; t++) thumbs[t].classList.toggle("current", t === this.index);
  };

  FlipBook.prototype.preload = function (i) {
    if (i >= 0 && i < this.count) new Image().src = this.pictureUrl(i);
  };

  // Turns to page i: forward turns lift the current leaf away from the spine, backward
  // turns lay the earlier leaf back over the current page.
  FlipBook.prototype.go = function (i) {
    i = this.clamp(i);
    if (this.count === 0 || i === this.index) return;
    this.finishTurn();
    var forward = i > this.index;
    var from = this.index;
    var leaf = $("leaf");
    var top = $("pageTop");
    var sign = this.rtl ? 1 : -1;
    var folded = "rotateY(" + (sign * 96) + "deg)";
    var flat = "rotateY(0deg)";

    this.index = i;
    this.announce();
    var reduce = this.zoom !== 1 || (window.matchMedia && window.matchMedia("(prefers-reduced-motion: reduce)").matches);
    if (reduce) {
      this.show(i);
      return;
    }
    leaf.classList.remove("animate", "folded");
    if (forward) {
      setPicture($("pageUnder"), this.pictureUrl(i), this.label(i));
      setPicture(leaf, this.pictureUrl(from), this.label(from));
      top.style.visibility = "hidden";
      leaf.style.transform = flat;
    } else {
      setPicture(leaf, this.pictureUrl(i), this.label(i));
      leaf.style.transform = folded;
      leaf.classList.add("folded");
    }
    leaf.classList.add("turning");
    void leaf.offsetWidth; // starts the transition from the state just set
    leaf.classList.add("animate");
    leaf.style.transform = forward ? folded : flat;
    leaf.classList.toggle("folded", forward);
    var self = this;
    this.turning = { target: i, timer: setTimeout(function () { self.finishTurn(); }, TURN_MS + 80) };
    leaf.addEventListener("transitionend", function onEnd(e) {
      if (e.target !== leaf) return;
      leaf.removeEventListener("transitionend", onEnd);
      self.finishTurn();
    });
  };

  FlipBook.prototype.finishTurn = function () {
    if (!this.turning) return;
    clearTimeout(this.turning.timer);
    this.turning = null;
    var leaf = $("leaf");
    this.show(this.index);
    $("pageTop").style.visibility = "";
    leaf.classList.remove("turning", "animate", "folded");
    leaf.style.transform = "";
  };

  // "left"/"right" are places on the screen; which way they turn depends on the reading direction.
  FlipBook.prototype.turnSide = function (side) {
    var forward = (side === "right") !== this.rtl;
    this.go(this.index + (forward ? 1 : -1));
  };

  FlipBook.prototype.endSide = function (side) {
    var last = (side === "right") !== this.rtl;
    this.go(last ? this.count - 1 : 0);
  };

  FlipBook.prototype.setZoom = function (zoom) {
    this.finishTurn();
    this.zoom = zoom;
    document.body.classList.toggle("zoomed", zoom !== 1);
    this.layout();
    var vp = $("viewport");
    vp.scrollLeft = (vp.scrollWidth - vp.clientWidth) / 2;
    vp.scrollTop = 0;
  };

  FlipBook.prototype.play = function () {
    var self = this;
    this.stop();
    this.loopsLeft = this.s.autoPlayLoopCount > 0 ? Math.floor(this.s.autoPlayLoopCount) : Infinity;
    var ms = Math.max(1, this.s.autoPlayDuration) * 1000;
    $("btnPlay").innerHTML = "&#x275A;&#x275A;";
    document.body.dataset.playing = "1";
    this.playTimer = setInterval(function () {
      if (self.index < self.count - 1) {
        self.go(self.index + 1);
      } else if (--self.loopsLeft > 0) {
        self.show(0);
      } else {
        self.stop();
      }
    }, ms);
  };

  FlipBook.prototype.stop = function () {
    if (this.playTimer) clearInterval(this.playTimer);
    this.playTimer = 0;
    $("btnPlay").innerHTML = "&#x25B6;";
    delete document.body.dataset.playing;
  };

  FlipBook.prototype.openThumbs = function () {
    var grid = $("thumbGrid");
    var self = this;
    if (!grid.children.length) {
      for (var i = 0; i < this.count; i++) {
        var b = document.createElement("button");
        var img = document.createElement("img");
        img.loading = "lazy";
        img.alt = "";
        img.src = this.pictureUrl(i, this.s.thumbPath);
        var caption = document.createElement("span");
        caption.textContent = this.label(i);
        b.appendChild(img);
        b.appendChild(caption);
        b.dataset.index = String(i);
        b.addEventListener("click", function (e) {
          $("thumbs").hidden = true;
          self.go(Number(e.currentTarget.dataset.index));
        });
        grid.appendChild(b);
      }
    }
    this.announce();
    $("share").hidden = true;
    $("thumbs").hidden = !$("thumbs").hidden;
  };

  FlipBook.prototype.openShare = function () {
    var url = location.href.replace(/#.*$/, "") + "#p=" + (this.index + 1);
    if (navigator.share && /^https?:/.test(location.protocol)) {
      navigator.share({ title: document.title, url: url }).catch(function () {});
      return;
    }
    $("shareUrl").value = url;
    $("thumbs").hidden = true;
    $("share").hidden = !$("share").hidden;
  };

  FlipBook.prototype.bindControls = function () {
    var self = this;
    function click(id, fn) {
      $(id).addEventListener("click", function (e) { e.preventDefault(); fn(); });
    }
    function user(fn) { return function () { self.stop(); fn(); }; }
    click("btnLeft", user(function () { self.turnSide("left"); }));
    click("btnRight", user(function () { self.turnSide("right"); }));
    click("btnFirst", user(function () { self.endSide("left"); }));
    click("btnLast", user(function () { self.endSide("right"); }));
    click("btnThumbs", user(function () { self.openThumbs(); }));
    click("btnZoom", function () { self.setZoom(self.zoom === 1 ? 2 : 1); });
    click("btnShare", function () { self.openShare(); });
    click("btnShareClose", function () { $("share").hidden = true; });
    click("btnPlay", function () { if (self.playTimer) self.stop(); else self.play(); });

    // Swipes and taps on the page. A swipe turns towards the way the finger moved; a tap
    // turns towards the side of the page it hit.
    var stage = $("stage");
    var start = null;
    stage.addEventListener("pointerdown", function (e) {
      if (!e.isPrimary || e.target.closest("button")) return;
      start = { x: e.clientX, y: e.clientY, id: e.pointerId };
    });
    stage.addEventListener("pointercancel", function () { start = null; });
    stage.addEventListener("pointerup", function (e) {
      if (!start || e.pointerId !== start.id) return;
      var dx = e.clientX - start.x;
      var dy = e.clientY - start.y;
      start = null;
      if (self.zoom !== 1) return; // a zoomed page pans instead
      if (Math.abs(dx) >= 30 && Math.abs(dx) > Math.abs(dy)) {
        self.stop();
        self.turnSide(dx < 0 ? "right" : "left");
      } else if (Math.abs(dx) < 10 && Math.abs(dy) < 10) {
        var rect = stage.getBoundingClientRect();
        self.stop();
        self.turnSide(e.clientX - rect.left < rect.width / 2 ? "left" : "right");
      }
    });

    document.addEventListener("keydown", function (e) {
      var keys = { ArrowLeft: "left", ArrowRight: "right" };
      if (keys[e.key]) { self.stop(); self.turnSide(keys[e.key]); }
      else if (e.key === "Home") self.go(0);
      else if (e.key === "End") self.go(self.count - 1);
      else if (e.key === "Escape") { $("thumbs").hidden = true; $("share").hidden = true; }
    });
    window.addEventListener("resize", function () { self.layout(); });
    window.addEventListener("hashchange", function () {
      var wanted = pageFromHash();
      if (wanted !== null) self.go(wanted - 1);
    });
  };

  function boot() {
    var book = new FlipBook(readSettings());
    window.leafcraftBook = book;
    book.start();
  }

  // Deferred even when the page has loaded, so that the settings appended to this file
  // are in place first.
  if (document.readyState === "loading") document.addEventListener("DOMContentLoaded", boot);
  else setTimeout(boot, 0);
})();
