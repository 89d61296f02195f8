// The album player: reads "data.xml" from the album's base folder and shows the album in the
// element that the page hands to PictavoPlayer.play(). Plain script, nothing fetched from
// elsewhere. "data.xml" may come from anyone, so its texts become DOM nodes built from a small
// allow-list (the editor's font markup, bold, italic, underline, line breaks) and its paths are
// used only when they stay inside the base folder.
(function () {
  "use strict";

  // ---- texts ----

  var ENTITIES = { amp: "&", lt: "<", gt: ">", quot: '"', apos: "'", nbsp: "\u00a0" };
  var ALLOWED = { b: "b", strong: "b", i: "i", em: "i", u: "u", font: "span", br: "br" };
  // One pattern, no nested repetition: a tag never spans another "<", so a long text is
  // scanned in linear time.
  var TAG = /<(\/?)([a-z]+)([\s\/][^<>]*)?>/gi;
  // Deeper markup than any text field needs is flattened: a page must not nest without end.
  var MAX_NESTING = 16;
  // Attributes are read with anchored (sticky) patterns from left to right, each character
  // looked at a bounded number of times; only the first part of a tag can hold the font's size
  // and colour.
  var ATTRIBUTE_NAME = /[a-z][\w-]*/iy;
  var ATTRIBUTE_VALUE = /\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s"'>]+))/y;
  var MAX_ATTRIBUTES = 512;

  function decode(text) {
    return text.replace(/&(#x[0-9a-f]{1,6}|#[0-9]{1,7}|[a-z]{2,6});/gi, function (all, name) {
      if (name.charAt(0) === "#") {
        var hex = name.charAt(1) === "x" || name.charAt(1) === "X";
        var code = parseInt(name.slice(hex ? 2 : 1), hex ? 16 : 10);
        var usable = code > 0 && code <= 0x10ffff && (code < 0xd800 || code > 0xdfff);
        return usable ? String.fromCodePoint(code) : all;
      }
      var known = ENTITIES[name.toLowerCase()];
      return known === undefined ? all : known;
    });
  }

  function attributes(text) {
    var found = {};
    text = String(text || "").slice(0, MAX_ATTRIBUTES);
    for (var at = 0; at < text.length;) {
      ATTRIBUTE_NAME.lastIndex = at;
      var name = ATTRIBUTE_NAME.exec(text);
      if (!name) {
        ++at;
        continue;
      }
      ATTRIBUTE_VALUE.lastIndex = at = ATTRIBUTE_NAME.lastIndex;
      var match = ATTRIBUTE_VALUE.exec(text);
      if (!match)
        continue;
      at = ATTRIBUTE_VALUE.lastIndex;
      var value = match[1] !== undefined ? match[1] : match[2] !== undefined ? match[2] : match[3];
      found[name[0].toLowerCase()] = decode(value);
    }
    return found;
  }

  // The editor writes sizes in pixels of the album's native size; colours only as #rgb or
  // #rrggbb, so no other CSS can ride along.
  function styleFont(element, attrs) {
    if (/^\s*\d{1,3}\s*$/.test(attrs.size || "")) {
      var size = Math.max(6, Math.min(120, parseInt(attrs.size, 10)));
      element.style.fontSize = size + "px";
    }
    var colour = (attrs.color || "").trim();
    if (/^#([0-9a-f]{3}|[0-9a-f]{6})$/i.test(colour))
      element.style.color = colour;
  }

  // Text with the allowed markup as a DOM fragment. Any other tag stays visible as text;
  // attributes other than the font's size and colour are dropped.
  function rich(text) {
    var fragment = document.createDocumentFragment();
    var open = [{ name: "", node: fragment }];
    var last = 0;
    var match;
    text = String(text || "");
    function add(part) {
      if (part)
        open[open.length - 1].node.appendChild(document.createTextNode(decode(part)));
    }
    TAG.lastIndex = 0;
    while ((match = TAG.exec(text))) {
      var name = match[2].toLowerCase();
      if (!ALLOWED.hasOwnProperty(name))
        continue;
      add(text.slice(last, match.index));
      last = TAG.lastIndex;
      if (name === "br") {
        open[open.length - 1].node.appendChild(document.createElement("br"));
      } else if (match[1]) {
        for (var i = open.length - 1; i > 0; --i) {
          if (open[i].name === name) {
            open.length = i;
            break;
          }
        }
      } else if (open.length <= MAX_NESTING) {
        var element = document.createElement(ALLOWED[name]);
        if (name === "font")
          styleFont(element, attributes(match[3]));
        open[open.length - 1].node.appendChild(element);
        open.push({ name: name, node: element });
      }
    }
    add(text.slice(last));
    return fragment;
  }

  function plain(text) {
    return rich(text).textContent;
  }

  // ---- the album from "data.xml" ----

  function children(element, name) {
    var found = [];
    for (var node = element && element.firstElementChild; node; node = node.nextElementSibling) {
      if (node.nodeName === name)
        found.push(node);
    }
    return found;
  }

  function child(element, name) {
    return children(element, name)[0] || null;
  }

  function number(element, name) {
    var value = parseInt(element.getAttribute(name), 10);
    return isNaN(value) ? 0 : value;
  }

  function Album(base) {
    this.base = base;
  }

  // A path from "data.xml" as a URL under the base folder (or, for `beside`, beside the page),
  // or "" when it would leave it.
  Album.prototype.url = function (path, beside) {
    path = String(path || "").trim().replace(/\\/g, "/");
    if (!path || /^[a-z][a-z0-9+.\-]*:/i.test(path) || path.charAt(0) === "/" ||
        /(^|\/)\.\.?(\/|$)/.test(path) || /[\u0000-\u001f\u007f]/.test(path))
      return "";
    return (beside ? "" : this.base) + path.split("/").map(encodeURIComponent).join("/");
  };

  // Links are typed by hand, often without a scheme: one that starts with a host name
  // ("www.example.org/trip") is a web address; anything else ("more.htm") a page beside the
  // album's page.
  var HOST = /^(?:[a-z0-9](?:[a-z0-9-]{0,61}[a-z0-9])?\.)+[a-z]{2,63}(?::\d{1,5})?$/i;
  var PAGE = /\.(?:s?html?|php\d?|aspx?|jsp|cgi|xml|txt|pdf|jpe?g|gif|png|bmp|mp3|swf)$/i;

  Album.prototype.link = function (address) {
    address = String(address || "").trim();
    if (/[\u0000-\u001f\u007f]/.test(address))
      return "";
    if (/^(https?|ftp|mailto):/i.test(address))
      return address;
    var host = address.split(/[\/?#]/)[0];
    if (HOST.test(host) && !PAGE.test(host))
      return "http://" + address;
    return this.url(address, true);
  };

  // Texts in file order: the first is the item's caption, the rest its description. Pictures
  // ordered by size, so the largest is shown large and the smallest as the thumbnail.
  Album.prototype.item = function (element) {
    var self = this;
    var item = {
      texts: children(element, "txt").map(function (t) { return t.textContent; }),
      pictures: [],
      galleries: [],
      photos: [],
      parent: null
    };
    children(element, "src").forEach(function (src, order) {
      var url = self.url(src.textContent);
      if (url)
        item.pictures.push({ url: url, w: number(src, "w"), h: number(src, "h"), order: order });
    });
    item.pictures.sort(function (a, b) { return b.w * b.h - a.w * a.h || a.order - b.order; });
    item.large = item.pictures[0] || null;
    item.thumb = item.pictures[item.pictures.length - 1] || null;
    var music = child(element, "music");
    item.music = music ? self.url(music.textContent) : "";
    var link = child(element, "link");
    if (link) {
      item.link = self.link(link.getAttribute("src"));
      item.target = link.getAttribute("target") === "_self" ? "_self" : "_blank";
    }
    return item;
  };

  // Galleries hang under the gallery their "pid" names when it came earlier in the file, else
  // under the album, as the editor reads them; so no chain of numbers can make a loop.
  Album.prototype.read = function (xml) {
    var top = xml.documentElement;
    if (!top || top.nodeName !== "photogallery")
      throw new Error("not an album");
    var root = this.item(top);
    root.id = 0;
    var byId = { 0: root };
    var list = [root];
    var self = this;
    children(child(top, "folder"), "item").forEach(function (element) {
      var gallery = self.item(element);
      gallery.id = list.length;
      var own = number(element, "id");
      var parent = byId.hasOwnProperty(number(element, "pid")) ? byId[number(element, "pid")] : root;
      if (!byId.hasOwnProperty(own))
        byId[own] = gallery;
      gallery.parent = parent;
      parent.galleries.push(gallery);
      list.push(gallery);
    });
    // Photos are read when first shown: an album of any size opens at once.
    children(child(top, "photo"), "item").forEach(function (element) {
      var parent = byId.hasOwnProperty(number(element, "fid")) ? byId[number(element, "fid")] : root;
      parent.photos.push(element);
    });
    this.root = root;
    this.galleries = list; // by the player's own numbers, which the page address uses
  };

  Album.prototype.photo = function (gallery, index) {
    var photo = gallery.photos[index];
    if (photo && photo.nodeType)
      photo = gallery.photos[index] = this.item(photo);
    return photo;
  };

  // ---- showing it ----

  function make(name, className, parent) {
    var element = document.createElement(name);
    if (className)
      element.className = className;
    if (parent)
      parent.appendChild(element);
    return element;
  }

  // Pictures near the screen load first; the browser defers the others.
  function picture(src, className, parent, lazy) {
    var image = make("img", className, parent);
    image.alt = "";
    image.decoding = "async";
    if (src.w > 0 && src.h > 0) {
      image.width = src.w;
      image.height = src.h;
    }
    if (lazy)
      image.loading = "lazy";
    image.src = src.url;
    return image;
  }

  // Tiles are built a screenful at a time, more as the visitor scrolls near the end of what is
  // built: a gallery of any size opens at once and holds few elements.
  var BATCH = 48;

  function Batches(items, grid, build) {
    var built = 0;
    var end = make("div", "pv-more", grid.parentNode);
    function more() {
      for (var last = Math.min(items.length, built + size); built < last; ++built)
        build(items[built], built);
      if (built >= items.length)
        return stop();
      // Seen afresh, so that a short batch that leaves the end in view asks for the next.
      watcher.unobserve(end);
      watcher.observe(end);
    }
    var watcher = window.IntersectionObserver ? new IntersectionObserver(function (entries) {
      if (entries[entries.length - 1].isIntersecting)
        more();
    }, { rootMargin: "800px" }) : null;
    function stop() {
      if (watcher)
        watcher.disconnect();
      end.remove();
    }
    var size = watcher ? BATCH : items.length;
    this.stop = stop;
    more();
  }

  function Player(host, album) {
    this.host = host;
    this.album = album;
    this.shown = null;
    this.photo = -1;
  }

  Player.prototype.start = function () {
    var self = this;
    var root = this.album.root;
    this.host.textContent = "";
    this.host.classList.add("pv");
    if (root.large)
      this.host.style.backgroundImage = 'url("' + root.large.url.replace(/["\\]/g, "\\$&") + '")';
    var header = make("header", "pv-header", this.host);
    make("h1", "pv-title", header).appendChild(rich(root.texts[0]));
    // The music field also takes Flash movies, which no browser plays any more.
    if (/\.(mp3|m4a|aac|ogg|oga|opus|wav)$/i.test(root.music))
      this.musicButton(header, root.music);
    this.trail = make("nav", "pv-trail", this.host);
    this.main = make("main", "pv-main", this.host);
    window.addEventListener("hashchange", function () { self.route(); });
    document.addEventListener("keydown", function (event) { self.key(event); });
    this.route();
    this.host.setAttribute("data-state", "ready");
    if (window.performance && performance.mark)
      requestAnimationFrame(function () { performance.mark("album-shown"); });
  };

  Player.prototype.musicButton = function (parent, url) {
    var button = make("button", "pv-music", parent);
    var audio = new Audio();
    audio.preload = "none";
    audio.loop = true;
    audio.src = url;
    button.type = "button";
    button.textContent = "\u266b Play music";
    button.addEventListener("click", function () {
      if (audio.paused) {
        var playing = audio.play();
        if (playing && playing.catch)
          playing.catch(function () { button.textContent = "\u266b Music unavailable"; });
      } else {
        audio.pause();
      }
    });
    audio.addEventListener("play", function () { button.textContent = "\u266b Pause music"; });
    audio.addEventListener("pause", function () { button.textContent = "\u266b Play music"; });
  };

  Player.prototype.address = function (gallery, photo) {
    return "#g" + gallery.id + (photo >= 0 ? "/" + photo : "");
  };

  // Stepping from photo to photo replaces the history entry, so Back leaves the photo view.
  Player.prototype.go = function (gallery, photo, replace) {
    if (replace)
      location.replace(this.address(gallery, photo));
    else
      location.hash = this.address(gallery, photo);
  };

  Player.prototype.route = function () {
    var match = /^#g(\d+)(?:\/(\d+))?$/.exec(location.hash);
    var gallery = (match && this.album.galleries[+match[1]]) || this.album.root;
    var photo = match && match[2] !== undefined ? +match[2] : -1;
    if (photo >= gallery.photos.length)
      photo = -1;
    if (gallery !== this.shown)
      this.showGallery(gallery);
    this.showPhoto(photo);
  };

  Player.prototype.showGallery = function (gallery) {
    this.shown = gallery;
    this.trail.textContent = "";
    var path = [];
    for (var g = gallery; g; g = g.parent)
      path.push(g);
    path.reverse();
    if (path.length > 1) {
      var self = this;
      path.forEach(function (step, i) {
        if (i > 0)
          make("span", "pv-sep", self.trail).textContent = "\u203a";
        var crumb = make(i < path.length - 1 ? "a" : "span", "pv-crumb", self.trail);
        crumb.textContent = plain(step.texts[0]) || (i ? "Gallery" : "Album");
        if (i < path.length - 1)
          crumb.href = self.address(step, -1);
      });
    }
    var main = this.main;
    (this.batches || []).forEach(function (batches) { batches.stop(); });
    this.batches = [];
    main.textContent = "";
    if (gallery.parent)
      make("h2", "pv-heading", main).appendChild(rich(gallery.texts[0]));
    gallery.texts.slice(1).forEach(function (text) {
      if (text)
        make("p", "pv-text", main).appendChild(rich(text));
    });
    if (gallery.galleries.length)
      this.tiles(gallery.galleries, main);
    if (gallery.photos.length)
      this.thumbs(gallery, main);
    if (!gallery.galleries.length && !gallery.photos.length)
      make("p", "pv-empty", main).textContent = "No photos here yet.";
    window.scrollTo(0, 0);
  };

  // A gallery without a cover of its own shows the first photo found in it or below it; the
  // search is breadth-first and short, however deep the album nests.
  function coverOf(album, gallery) {
    var queue = [gallery];
    for (var i = 0; i < queue.length; ++i) {
      var next = queue[i];
      if (next.thumb)
        return next.thumb;
      for (var j = 0; j < next.photos.length && j < 200; ++j) {
        if (album.photo(next, j).thumb)
          return album.photo(next, j).thumb;
      }
      for (var k = 0; k < next.galleries.length && queue.length < 200; ++k)
        queue.push(next.galleries[k]);
    }
    return null;
  }

  Player.prototype.tiles = function (galleries, parent) {
    var grid = make("div", "pv-grid pv-galleries", parent);
    var self = this;
    this.batches.push(new Batches(galleries, grid, function (gallery) {
      var tile = make("a", "pv-tile pv-gallery", grid);
      tile.href = self.address(gallery, -1);
      var box = make("span", "pv-frame", tile);
      var cover = coverOf(self.album, gallery);
      if (cover)
        picture(cover, "pv-thumb", box, true);
      make("span", "pv-caption", tile).appendChild(rich(gallery.texts[0]));
      var count = gallery.photos.length;
      make("span", "pv-count", tile).textContent =
          count + (count === 1 ? " photo" : " photos") +
          (gallery.galleries.length ? ", " + gallery.galleries.length + " more" : "");
    }));
  };

  Player.prototype.thumbs = function (gallery, parent) {
    var grid = make("div", "pv-grid pv-photos", parent);
    var self = this;
    this.batches.push(new Batches(gallery.photos, grid, function (element, index) {
      var photo = self.album.photo(gallery, index);
      var tile = make("a", "pv-tile pv-photo", grid);
      tile.href = self.address(gallery, index);
      var box = make("span", "pv-frame", tile);
      if (photo.thumb)
        picture(photo.thumb, "pv-thumb", box, true);
      make("span", "pv-caption", tile).appendChild(rich(photo.texts[0]));
    }));
  };

  Player.prototype.showPhoto = function (index) {
    if (this.viewer) {
      this.viewer.remove();
      this.viewer = null;
    }
    this.photo = index;
    document.documentElement.classList.toggle("pv-viewing", index >= 0);
    if (index < 0)
      return;
    var self = this;
    var photos = this.shown.photos;
    var photo = this.album.photo(this.shown, index);
    var viewer = (this.viewer = make("div", "pv-viewer", this.host));
    viewer.setAttribute("role", "dialog");
    var stage = make("div", "pv-stage", viewer);
    if (photo.large) {
      var image = picture(photo.large, "pv-large", stage, false);
      image.alt = plain(photo.texts[0]);
      image.addEventListener("click", function () { self.step(1); });
    }
    var info = make("div", "pv-info", viewer);
    make("div", "pv-caption", info).appendChild(rich(photo.texts[0]));
    photo.texts.slice(1).forEach(function (text) {
      if (text)
        make("div", "pv-text", info).appendChild(rich(text));
    });
    if (photo.link) {
      var link = make("a", "pv-link", info);
      link.href = photo.link;
      link.target = photo.target;
      link.rel = "noopener noreferrer";
      link.textContent = "Open link";
    }
    make("div", "pv-counter", info).textContent = index + 1 + " / " + photos.length;
    this.button(viewer, "pv-prev", "\u2039", "Previous", function () { self.step(-1); });
    this.button(viewer, "pv-next", "\u203a", "Next", function () { self.step(1); });
    this.button(viewer, "pv-close", "\u00d7", "Back to the gallery", function () {
      self.go(self.shown, -1);
    });
    var startX = null;
    viewer.addEventListener("touchstart", function (event) {
      startX = event.touches.length === 1 ? event.touches[0].clientX : null;
    }, { passive: true });
    viewer.addEventListener("touchend", function (event) {
      if (startX === null || !event.changedTouches.length)
        return;
      var moved = event.changedTouches[0].clientX - startX;
      startX = null;
      if (Math.abs(moved) > 40)
        self.step(moved < 0 ? 1 : -1);
    });
    var next = this.album.photo(this.shown, (index + 1) % photos.length);
    if (next.large)
      new Image().src = next.large.url;
  };

  Player.prototype.button = function (parent, className, symbol, label, action) {
    var button = make("button", "pv-button " + className, parent);
    button.type = "button";
    button.textContent = symbol;
    button.title = label;
    button.setAttribute("aria-label", label);
    button.addEventListener("click", action);
  };

  Player.prototype.step = function (by) {
    var count = this.shown.photos.length;
    if (this.photo >= 0 && count)
      this.go(this.shown, (this.photo + by + count) % count, true);
  };

  Player.prototype.key = function (event) {
    if (event.altKey || event.ctrlKey || event.metaKey)
      return;
    if (this.photo >= 0 && event.key === "ArrowRight")
      this.step(1);
    else if (this.photo >= 0 && event.key === "ArrowLeft")
      this.step(-1);
    else if (event.key === "Escape" && this.photo >= 0)
      this.go(this.shown, -1);
    else if (event.key === "Escape" && this.shown.parent)
      this.go(this.shown.parent, -1);
    else
      return;
    event.preventDefault();
  };

  // ---- start ----

  function note(host, text) {
    host.textContent = "";
    host.classList.add("pv");
    make("p", "fallback pv-note", host).textContent = text;
    host.setAttribute("data-state", "error");
  }

  function play(host) {
    var base = host.getAttribute("data-base") || "";
    var album = new Album(base);
    var request = new XMLHttpRequest();
    function failed() {
      if (location.protocol === "file:")
        note(host, "This browser does not let a page read its album from the disk. To see the " +
             "album, open it in the editor's preview, or upload the published folder to a web " +
             "server and open photogallery.htm there.");
      else
        note(host, "The album's data could not be read (" + base + "data.xml).");
    }
    request.onload = function () {
      if (request.status !== 200 && !(request.status === 0 && request.responseText))
        return failed();
      var xml = new DOMParser().parseFromString(request.responseText, "application/xml");
      // Parsing, reading and showing a large album each take a turn of their own: the page
      // keeps answering between them.
      setTimeout(function () {
        try {
          if (xml.getElementsByTagName("parsererror").length)
            throw new Error("malformed");
          album.read(xml);
        } catch (error) {
          return note(host, "The album's data file (" + base + "data.xml) is damaged.");
        }
        setTimeout(function () { new Player(host, album).start(); }, 0);
      }, 0);
    };
    request.onerror = failed;
    host.setAttribute("data-state", "loading");
    try {
      request.open("GET", base + "data.xml");
      request.overrideMimeType("text/xml");
      request.send();
    } catch (error) {
      failed();
    }
  }

  window.PictavoPlayer = {
    play: play,
    rich: rich,
    link: function (address) { return new Album("").link(address); }
  };
})();
