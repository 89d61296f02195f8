// A hostile album page for the preview pane's check: from the context its address names (the
// page, a frame, workers of an album file and of a blob, a service worker) it reads every
// target of SETUP by every way that context has, or reaches for the network, and says what it
// got. In a page, SETUP comes from the page; in a worker, from its address or its source.

var SETUP = self.SETUP || JSON.parse(decodeURIComponent(location.search.slice(1)));

// The names of the targets read: "xhr:inside fetch:inside import:inside ..." in name order.
function readAll(done) {
  var got = [];
  var names = Object.keys(SETUP.targets);
  names.forEach(function (name) {
    try {
      var request = new XMLHttpRequest();
      request.open("GET", SETUP.targets[name], false);
      request.send();
      if (request.responseText)
        got.push("xhr:" + name);
    } catch (e) {}
  });
  if (typeof importScripts === "function") {
    Object.keys(SETUP.imports).forEach(function (name) {
      try { importScripts(SETUP.imports[name]); } catch (e) {}
      if (self["ran_" + name])
        got.push("import:" + name);
    });
  }
  Promise.all(names.map(function (name) {
    return fetch(SETUP.targets[name]).then(function (r) { return r.text(); })
      .then(function (text) { if (text) got.push("fetch:" + name); }, function () {});
  })).then(function () { done(got.sort().join(" ")); });
}

// Everything a context can send to the web address of SETUP; "sent" once it is on its way.
function sendAll() {
  var to = SETUP.web;
  try { fetch(to + "fetch").catch(function () {}); } catch (e) {}
  try { var x = new XMLHttpRequest(); x.open("GET", to + "xhr"); x.send(); } catch (e) {}
  try { new WebSocket(to.replace("http", "ws") + "socket"); } catch (e) {}
  try { new EventSource(to + "events"); } catch (e) {}
  try { navigator.sendBeacon(to + "beacon", "x"); } catch (e) {}
  if (typeof Image !== "undefined")
    new Image().src = to + "image";
  return "sent";
}

function attempt(w) {
  var servers = [
    {urls: "stun:" + SETUP.stun},
    {urls: "turn:" + SETUP.turn + "?transport=tcp", username: "u", credential: "c"}];
  try {
    var pc = new w.RTCPeerConnection({iceServers: servers});
    pc.createDataChannel("x");
    pc.createOffer().then(function (offer) { return pc.setLocalDescription(offer); });
    (window.kept = window.kept || []).push(pc);
    return "made";
  } catch (e) {
    return "none";
  }
}

function worker(what, blob) {
  var url = "preview-probe.js?" + encodeURIComponent(JSON.stringify(SETUP));
  if (blob) {
    var request = new XMLHttpRequest();
    request.open("GET", "preview-probe.js", false);
    request.send();
    url = URL.createObjectURL(new Blob(["self.SETUP = " + JSON.stringify(SETUP) + ";\n" +
                                        request.responseText], {type: "text/javascript"}));
  }
  if (what === "shared") {
    var shared = new SharedWorker(url, "probe" + Date.now());
    shared.port.onmessage = function (e) { finish(e.data); };
  } else {
    new Worker(url).onmessage = function (e) { finish(e.data); };
  }
}

function finish(result) { window.result = "done:" + result; }

function run(kind) {
  SETUP.kind = kind;
  var frame = document.querySelector("iframe");
  if (kind === "page") readAll(finish);
  else if (kind === "frame") {
    window.onmessage = function (e) { finish(e.data); };
    frame.src = "preview-probe.html?frame-inside";
  } else if (kind === "frame-inside") readAll(function (r) { parent.postMessage(r, "*"); });
  else if (kind === "worker" || kind === "shared") worker(kind, false);
  else if (kind === "blob-worker") worker("worker", true);
  else if (kind === "blob-shared") worker("shared", true);
  else if (kind === "service-worker") {
    var registered = navigator.serviceWorker ? navigator.serviceWorker.register("preview-probe.js")
                                             : Promise.reject();
    registered.then(function () { finish("registered"); }, function () { finish("refused"); });
  } else if (kind === "images") {
    var images = SETUP.images.map(function (src) {
      var image = new Image();
      var loaded = new Promise(function (r) { image.onload = image.onerror = r; });
      image.src = src;
      return loaded.then(function () { return image.naturalWidth; });
    });
    Promise.all(images).then(function (widths) { finish(widths.join(" ")); });
  } else if (kind === "music") {
    // Loaded, then read near its end (a range), but played only for the user.
    var audio = new Audio();
    audio.preload = "auto";
    audio.onloadedmetadata = function () { audio.currentTime = audio.duration - 0.5; };
    audio.onseeked = function () {
      audio.play().then(function () { finish("played"); },
                        function () { finish("seeked " + Math.round(audio.duration)); });
    };
    audio.src = "music.wav";
  } else if (kind === "rtc") {
    var added = document.createElement("iframe");
    document.body.appendChild(added);
    finish([attempt(window), attempt(frame.contentWindow), attempt(added.contentWindow)].join(" "));
  } else if (kind === "web") {
    worker("worker", true);
    worker("shared", true);
    finish(sendAll());
  } else if (kind === "navigate") {
    frame.src = SETUP.web + "frame";
    finish("sent");
  }
}

if (typeof window === "undefined") {
  var reply = SETUP.kind === "web" ? function (post) { post(sendAll()); }
                                   : function (post) { readAll(post); };
  if ("onconnect" in self)
    self.onconnect = function (e) { reply(function (r) { e.ports[0].postMessage(r); }); };
  else
    reply(function (r) { postMessage(r); });
} else {
  window.result = "";
  run(location.search.slice(1));
}
