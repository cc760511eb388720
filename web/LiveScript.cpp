#include "web/LiveScript.h"

#include "web/ResultsServer.h"
#include "web/ServedPages.h"

namespace zlt::web {

QString liveScriptTag() {
    return QStringLiteral("<script src=\"%1\" %2 defer></script>\n")
        .arg(QLatin1String(ServedPages::kLiveScript), QLatin1String(ResultsServer::kVersionMark));
}

// One tab of the browser leads: it holds the stream and passes on what comes to the
// others over a BroadcastChannel, so that ten tabs hold one connection. A browser keeps
// only about six connections to one server, and a stream per tab would soon hold them
// all. The leader says so every two seconds; when it goes quiet (closed, frozen in the
// background), another tab takes over. Without BroadcastChannel every tab leads itself.
QByteArray liveScript() {
    return QByteArrayLiteral(R"js("use strict";
(function () {
  var STREAM = ")js") +
           ResultsServer::kStream + QByteArrayLiteral(R"js(";
  var STALE = 40000, LEADER_QUIET = 5000, ANNOUNCE = 2000, LONGEST_WAIT = 10000;
  var script = document.currentScript;
  var seen = Number(script && script.dataset.verze) || 0;
  var path = location.pathname;
  var me = Math.random();
  var channel = typeof BroadcastChannel === "function" ? new BroadcastChannel("zlt-zive") : null;
  var leading = false, stream = null, failures = 0, retryTimer = null, electTimer = null;
  var leaderHeard = 0, connected = true, lastContact = Date.now(), fetching = false;
  var streamAsked = 0;
  var banner = document.createElement("div");
  banner.setAttribute("role", "alert");
  banner.style.cssText = "background:#c00;color:#fff;font-weight:bold;padding:.4em .6em;" +
    "margin:0 0 .5em;position:sticky;top:0;z-index:1";

  function post(message) { if (channel) { channel.postMessage(message); } }
  function two(n) { return (n < 10 ? "0" : "") + n; }
  function clock(time) {
    var t = new Date(time);
    return t.getHours() + ":" + two(t.getMinutes()) + ":" + two(t.getSeconds());
  }

  // The page says when what it shows may be out of date: the stream is closed, or no
  // word has come from the server for longer than its heartbeats allow.
  function showState() {
    var lost = !connected || Date.now() - lastContact > STALE;
    document.documentElement.dataset.spojeni = lost ? "ne" : "ano";
    if (lost) {
      banner.textContent = "Spojení se serverem přerušeno, výsledky nemusí být aktuální " +
        "(naposledy " + clock(lastContact) + ")";
      if (banner.parentNode !== document.body) { document.body.prepend(banner); }
    } else if (banner.parentNode) {
      banner.remove();
    }
  }
  function contact(open, time) {
    connected = open;
    if (open) { lastContact = Math.max(lastContact, time || Date.now()); }
    showState();
  }

  function show(html) {
    var page = new DOMParser().parseFromString(html, "text/html");
    document.title = page.title;
    document.body.replaceWith(page.body);
    showState();
  }
  // A change carries every page it made, this one among them or not.
  function change(data) {
    if (data.verze < seen) { return; }
    seen = data.verze;
    var html = data.stranky && data.stranky[path];
    if (html) { show(html); }
    contact(true);
  }
  function beat(version) {
    seen = Math.max(seen, version);
    contact(true);
  }
  // A tab that opened while a change was on its way asks for itself once.
  function catchUp() {
    if (fetching) { return; }
    fetching = true;
    fetch(path, { cache: "no-store" })
      .then(function (answer) {
        if (!answer.ok) { throw new Error(answer.status); }
        return answer.text();
      })
      .then(show)
      .catch(function () {})
      .finally(function () { fetching = false; });
  }

  function announce() {
    post({ typ: "vedu", id: me, verze: seen, spojeno: connected, kontakt: lastContact });
  }
  // Again after a pause that grows with each failure, a 503 included, with jitter so
  // that the phones of a whole venue do not come back at the same moment.
  function retry() {
    var base = Math.min(LONGEST_WAIT, 1000 * Math.pow(2, failures++));
    retryTimer = setTimeout(function () { if (leading) { openStream(); } },
                            base / 2 + Math.random() * base);
  }
  function openStream() {
    streamAsked = Date.now();
    stream = new EventSource(STREAM + "?od=" + seen);
    stream.addEventListener("open", function () {
      failures = 0;
      contact(true);
      announce();
    });
    stream.addEventListener("zmena", function (event) {
      var data = JSON.parse(event.data);
      change(data);
      post({ typ: "zmena", data: data });
    });
    stream.addEventListener("tep", function (event) {
      beat(Number(event.data));
      post({ typ: "tep", verze: Number(event.data), kontakt: lastContact });
    });
    stream.onerror = drop;
  }
  function drop() {
    stream.close();
    stream = null;
    contact(false);
    announce();
    retry();
  }
  // A stream can die on the way without ever failing: the phone changed networks, the
  // server stopped. One silent for longer than the heartbeats allow is given up and asked
  // for again, and the new one has as long to answer.
  function watch() {
    if (leading && stream && Date.now() - Math.max(lastContact, streamAsked) > STALE) { drop(); }
    showState();
  }
  function lead() {
    if (leading) { return; }
    leading = true;
    openStream();
    announce();
  }
  function resign() {
    leading = false;
    clearTimeout(retryTimer);
    if (stream) { stream.close(); stream = null; }
  }
  function elect() {
    if (leading || electTimer) { return; }
    post({ typ: "kdo" });
    electTimer = setTimeout(function () {
      electTimer = null;
      if (Date.now() - leaderHeard > LEADER_QUIET) { lead(); }
    }, 150 + Math.random() * 300);
  }

  if (channel) {
    channel.onmessage = function (event) {
      var message = event.data;
      if (message.typ === "kdo") {
        if (leading) { announce(); }
      } else if (message.typ === "vedu") {
        leaderHeard = Date.now();
        // Two tabs took the lead at once: the one drawn lower gives way.
        if (leading && message.id > me) { resign(); }
        if (!leading) {
          if (message.verze > seen) { seen = message.verze; catchUp(); }
          connected = message.spojeno;
          contact(connected, message.kontakt);
        }
      } else if (message.typ === "odchazim") {
        leaderHeard = 0;
        elect();
      } else if (message.typ === "zmena") {
        leaderHeard = Date.now();
        change(message.data);
      } else if (message.typ === "tep") {
        leaderHeard = Date.now();
        beat(message.verze);
        lastContact = Math.max(lastContact, message.kontakt);
      }
    };
    addEventListener("pagehide", function () {
      if (leading) { resign(); post({ typ: "odchazim" }); }
    });
    document.addEventListener("visibilitychange", function () {
      if (!document.hidden && !leading && Date.now() - leaderHeard > LEADER_QUIET) { elect(); }
    });
    setInterval(function () {
      if (leading) { announce(); }
      else if (Date.now() - leaderHeard > LEADER_QUIET) { elect(); }
    }, ANNOUNCE);
    elect();
  } else {
    lead();
  }
  setInterval(watch, 1000);
})();
)js");
}

}  // namespace zlt::web
