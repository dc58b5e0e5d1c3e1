// The editor's script in the rendering of a page. It runs in the program's own script world
// (see ScriptBridge.h), from the moment each document is created: it sees the page's elements
// and events, the page's scripts see nothing of it, and it reports to the editor through the
// channel's object only. The page's own text is never changed by it.
//
// - A press on an element reports the source offset of the element it lands in (picked). It
//   listens while capturing at the window, before the player's own handlers, and composedPath()
//   reaches through the player's shadow tree to its element. Only a press of the user counts,
//   never an event a script makes.
// - When the editor asks (updateRequested), it fetches the page's current text again and puts
//   its body in place of the shown one (the head is kept), then reports updated once the new
//   body is painted.
// - Movies play only while they are in view (or near it). Each Flash element stands as a
//   placeholder of its size until it is scrolled to; then the element goes back and the player
//   takes it over. A movie scrolled far away gives its player up again, to play the next movie
//   scrolled to. A page with many movies draws them on the canvas, which needs no WebGL context
//   of its own.
(function () {
    "use strict";

    var SOURCE = "data-tlx-src";
    // Above this many movies in a page the players draw without WebGL (a page has only a few
    // WebGL contexts).
    var CANVAS_ABOVE = 8;
    var NEAR = "100px";
    var FAR = "400px";
    // A movie starts once its placeholder has stayed near the view this long, so that
    // scrolling through a long page does not start every movie passed on the way.
    var SETTLE_MS = 250;

    function pick(event) {
        if (!event.isTrusted)
            return;
        var path = event.composedPath ? event.composedPath() : [event.target];
        for (var i = 0; i < path.length; i++) {
            var node = path[i];
            if (node && node.getAttribute) {
                var offset = node.getAttribute(SOURCE);
                if (offset !== null) {
                    tlxBridge(function (bridge) {
                        bridge.picked(Number(offset));
                    });
                    return;
                }
            }
        }
    }
    // A player may take the pointer press for itself (and the mouse press that follows it
    // with it): both are listened to.
    window.addEventListener("pointerdown", pick, true);
    window.addEventListener("mousedown", pick, true);

    // ---- movies in view only

    function isFlashObject(element) {
        var tag = element.tagName;
        if (tag === "OBJECT") {
            var type = (element.getAttribute("type") || "").toLowerCase();
            var classid = (element.getAttribute("classid") || "").toLowerCase();
            var data = (element.getAttribute("data") || "").toLowerCase();
            if (type.indexOf("shockwave-flash") >= 0 ||
                classid === "clsid:d27cdb6e-ae6d-11cf-96b8-444553540000" ||
                data.indexOf(".swf") >= 0)
                return true;
            var params = element.getElementsByTagName("param");
            for (var i = 0; i < params.length; i++) {
                var name = (params[i].getAttribute("name") || "").toLowerCase();
                var value = (params[i].getAttribute("value") || "").toLowerCase();
                if ((name === "movie" || name === "src") && value.indexOf(".swf") >= 0)
                    return true;
            }
            return false;
        }
        if (tag === "EMBED") {
            var src = (element.getAttribute("src") || "").toLowerCase();
            var embedType = (element.getAttribute("type") || "").toLowerCase();
            return src.indexOf(".swf") >= 0 || embedType.indexOf("shockwave-flash") >= 0;
        }
        return false;
    }

    // The outermost Flash elements of `root` (an EMBED inside an OBJECT goes with its OBJECT).
    function flashElements(root) {
        var found = [];
        var candidates = root.querySelectorAll("object, embed");
        for (var i = 0; i < candidates.length; i++) {
            var element = candidates[i];
            if (!isFlashObject(element))
                continue;
            var outer = element.parentElement ? element.parentElement.closest("object, embed")
                                              : null;
            if (outer && isFlashObject(outer))
                continue;
            found.push(element);
        }
        return found;
    }

    function size(value, fallback) {
        if (!value)
            return fallback;
        value = String(value).trim();
        if (/^\d+(\.\d+)?$/.test(value))
            return value + "px";
        if (/^\d+(\.\d+)?(px|%)$/.test(value))
            return value;
        return fallback;
    }

    // A still stand-in of the movie's size; a press on it selects the movie as on the movie.
    function placeholderFor(element, doc) {
        var stand = doc.createElement("span");
        stand.setAttribute("data-tlx-movie", "");
        var offset = element.getAttribute(SOURCE);
        if (offset !== null)
            stand.setAttribute(SOURCE, offset);
        stand.style.display = "inline-block";
        stand.style.verticalAlign = "bottom";
        stand.style.width = size(element.getAttribute("width"), "550px");
        stand.style.height = size(element.getAttribute("height"), "400px");
        stand.style.background = "repeating-linear-gradient(45deg,#eee,#eee 6px,#e4e4e4 6px," +
                                 "#e4e4e4 12px)";
        stand.style.outline = "1px dashed #bbb";
        stand.style.outlineOffset = "-1px";
        return stand;
    }

    var movies = new Map(); // placeholder or live element -> {original, stand, live}
    var nearObserver = null;
    var farObserver = null;

    // Players given up, kept for the next movies scrolled to. A player can be given another
    // element's attributes and parameters, and loads that movie when it is put back into the
    // page. A new player for every movie shown would cost far more: each player leaves handlers
    // on the document that keep it (its shadow tree, its canvas) alive after it is taken out.
    var idlePlayers = {OBJECT: [], EMBED: []};
    var MOST_IDLE = 32;

    function isPlayer(element) {
        return (element.localName || "").indexOf("ruffle-") === 0;
    }

    // The tag of the elements a player plays. (To the page's scripts a player answers to the
    // tag name of the element it plays; this world sees its own name, "ruffle-object".)
    function kindOf(player) {
        return player.localName === "ruffle-embed" ? "EMBED" : "OBJECT";
    }

    // A player that could not play its movie (a file gone, a movie it cannot read) shows the
    // failure for good, whatever it is given to play next: it is never played again.
    function hasFailed(player) {
        var shadow = player.shadowRoot;
        return !!(shadow && shadow.getElementById("panic"));
    }

    function giveUp(player) {
        var pool = idlePlayers[kindOf(player)];
        if (pool && !player.isConnected && pool.length < MOST_IDLE && pool.indexOf(player) < 0 &&
            !hasFailed(player))
            pool.push(player);
        collectSoon();
    }

    // What an ended movie leaves (its canvas, its sounds) is freed when the script engine
    // collects; the program lets the page ask for that (window.gc) so that a long page scrolled
    // through does not pile it up. Asked at most once in this time, not for every movie.
    var COLLECT_AFTER_MS = 1500;
    var collectTimer = 0;
    function collectSoon() {
        if (typeof window.gc !== "function" || collectTimer)
            return;
        collectTimer = setTimeout(function () {
            collectTimer = 0;
            window.gc();
        }, COLLECT_AFTER_MS);
    }

    // Where `node` stands in `root`: the indices of its elements from the root down ([] for
    // the root itself).
    function pathTo(root, node) {
        var path = [];
        for (; node && node !== root; node = node.parentElement) {
            var parent = node.parentElement;
            if (!parent)
                return null;
            path.unshift(Array.prototype.indexOf.call(parent.children, node));
        }
        return node === root ? path : null;
    }

    function nodeAt(root, path) {
        var node = root;
        for (var i = 0; node && i < path.length; i++)
            node = node.children[path[i]];
        return node || null;
    }

    // An idle player made to play the Flash element `element` (detached) in its place, or null
    // when none is idle. The Flash elements inside it go, as the player plays the outer one.
    function playerFor(element) {
        var pool = idlePlayers[element.tagName];
        var player = pool ? pool.pop() : null;
        // A movie may fail after its player was given up.
        while (player && hasFailed(player))
            player = pool.pop();
        if (!player)
            return null;
        while (player.attributes.length > 0)
            player.removeAttribute(player.attributes[0].name);
        while (player.firstChild)
            player.removeChild(player.firstChild);
        var inner = element.querySelectorAll("object, embed");
        for (var i = 0; i < inner.length; i++)
            if (isFlashObject(inner[i]))
                inner[i].remove();
        for (var j = 0; j < element.attributes.length; j++)
            player.setAttribute(element.attributes[j].name, element.attributes[j].value);
        while (element.firstChild)
            player.appendChild(element.firstChild);
        return player;
    }

    // Where the player puts its own elements depends on how the movie's markup is built: on
    // the Flash elements in it and their attributes that tell a movie. Markup built alike is
    // played alike.
    var shapes = new Map(); // build of markup -> paths of its players
    function buildOf(original) {
        var parts = [];
        [original].concat(Array.from(original.querySelectorAll("object, embed")))
            .forEach(function (element) {
                if (!isFlashObject(element))
                    return;
                parts.push([pathTo(original, element).join("."), element.tagName,
                            (element.getAttribute("classid") || "").toLowerCase(),
                            element.hasAttribute("data"),
                            (element.getAttribute("type") || "").toLowerCase()].join(" "));
            });
        return parts.join("|");
    }

    // A copy of the movie's element to put into the page, with idle players already standing
    // where the player put its own when markup built alike was shown.
    function liveCopy(entry) {
        var copy = entry.original.cloneNode(true);
        (shapes.get(entry.build) || []).forEach(function (path) {
            var element = nodeAt(copy, path);
            if (!element)
                return;
            var player = playerFor(element);
            if (!player)
                return;
            if (element === copy)
                copy = player;
            else
                element.replaceWith(player);
        });
        return copy;
    }

    // How far `element` is from the view, in pixels (0 when any of it is in view).
    function distanceFromView(element) {
        var box = element.getBoundingClientRect();
        var height = window.innerHeight || document.documentElement.clientHeight;
        var width = window.innerWidth || document.documentElement.clientWidth;
        return Math.max(0, box.top - height, -box.bottom, box.left - width, -box.right);
    }

    // With this many movies playing, the one farthest from the view (beyond the margin in which
    // movies start) gives its player up before another starts. Movies in view always play.
    var MOST_PLAYING = 8;
    var NEAR_PX = 100;

    function makeRoom() {
        var playing = [];
        // Every movie is found under its stand, also while it plays.
        movies.forEach(function (entry, key) {
            if (key === entry.stand && entry.live) {
                var element = liveElement(entry);
                if (element && element.isConnected)
                    playing.push({entry: entry, distance: distanceFromView(element)});
            }
        });
        if (playing.length < MOST_PLAYING)
            return;
        playing.sort(function (a, b) {
            return b.distance - a.distance;
        });
        if (playing[0].distance > NEAR_PX)
            hide(playing[0].entry);
    }

    function show(entry) {
        if (entry.live || !entry.stand.isConnected)
            return;
        nearObserver.unobserve(entry.stand);
        makeRoom();
        var element = liveCopy(entry);
        entry.live = element;
        movies.set(element, entry);
        entry.stand.replaceWith(element);
        // The player replaces the element (or one inside it) with its own; that one is watched
        // once it is there.
        requestAnimationFrame(function () {
            watchLive(entry);
        });
    }

    function liveElement(entry) {
        var element = entry.live;
        if (element && !element.isConnected && entry.player && entry.player.isConnected)
            return entry.player;
        return element;
    }

    function watchLive(entry) {
        if (!entry.live)
            return;
        if (!entry.live.isConnected) {
            // Taken over by the player: its element stands where the original stood.
            var offset = entry.original.getAttribute(SOURCE);
            var players = document.querySelectorAll("ruffle-object, ruffle-embed");
            for (var i = 0; i < players.length; i++) {
                if (players[i].getAttribute(SOURCE) === offset && !movies.has(players[i])) {
                    entry.player = players[i];
                    movies.set(players[i], entry);
                    break;
                }
            }
        }
        var element = liveElement(entry);
        if (!element || !element.isConnected)
            return;
        // The players of the movie and where they stand in it.
        entry.players = isPlayer(element)
                            ? [element]
                            : Array.from(element.querySelectorAll("ruffle-object, ruffle-embed"));
        if (!shapes.has(entry.build))
            shapes.set(entry.build, entry.players.map(function (player) {
                return pathTo(element, player);
            }).filter(function (path) {
                return path !== null;
            }));
        farObserver.observe(element);
    }

    function hide(entry) {
        var element = liveElement(entry);
        if (!element || !element.isConnected)
            return;
        farObserver.unobserve(element);
        movies.delete(element);
        if (entry.player)
            movies.delete(entry.player);
        var players = entry.players || [];
        entry.live = null;
        entry.player = null;
        entry.players = null;
        // Out of the page, a player ends its movie and frees what the movie holds.
        element.replaceWith(entry.stand);
        nearObserver.observe(entry.stand);
        players.forEach(function (player) {
            if (player !== element)
                player.remove();
            giveUp(player);
        });
    }

    function observers() {
        if (nearObserver || !("IntersectionObserver" in window))
            return;
        nearObserver = new IntersectionObserver(function (entries) {
            entries.forEach(function (seen) {
                var entry = movies.get(seen.target);
                if (!entry || seen.target !== entry.stand)
                    return;
                clearTimeout(entry.timer);
                if (seen.isIntersecting)
                    entry.timer = setTimeout(function () {
                        show(entry);
                    }, SETTLE_MS);
            });
        }, {rootMargin: NEAR});
        farObserver = new IntersectionObserver(function (entries) {
            entries.forEach(function (seen) {
                var entry = movies.get(seen.target);
                if (!seen.isIntersecting && entry && seen.target !== entry.stand)
                    hide(entry);
            });
        }, {rootMargin: FAR});
    }

    // The player's settings belong to the page's world: a script element, which runs there,
    // sets them.
    var canvasPreferred = false;
    function preferCanvas() {
        if (canvasPreferred)
            return;
        canvasPreferred = true;
        var script = document.createElement("script");
        script.textContent = "if (window.RufflePlayer && window.RufflePlayer.config) " +
                             "window.RufflePlayer.config.preferredRenderer = \"canvas\";";
        (document.head || document.documentElement).appendChild(script);
        script.remove();
    }

    // Puts placeholders in place of the Flash elements of `root` (the page's body, or a body
    // about to replace it) and watches them.
    function standIn(root, doc) {
        // Each EMBED gets its OBJECT's window mode and alignment before a player plays it.
        if (typeof window.tlxMendFlashParams === "function")
            window.tlxMendFlashParams(root);
        if (!("IntersectionObserver" in window))
            return;
        var elements = flashElements(root);
        if (elements.length > CANVAS_ABOVE)
            preferCanvas();
        observers();
        elements.forEach(function (element) {
            var stand = placeholderFor(element, doc);
            var entry = {original: element, build: buildOf(element), stand: stand, live: null,
                         player: null, players: null, timer: 0};
            movies.set(stand, entry);
            element.replaceWith(stand);
        });
    }

    function watchStands() {
        movies.forEach(function (entry, key) {
            if (key === entry.stand && entry.stand.isConnected)
                nearObserver.observe(entry.stand);
        });
    }

    // Forgets the movies of a body that has been replaced; their players become idle.
    function forgetGone() {
        movies.forEach(function (entry, key) {
            if (!key.isConnected) {
                if (farObserver)
                    farObserver.unobserve(key);
                if (nearObserver)
                    nearObserver.unobserve(key);
                movies.delete(key);
                (entry.players || []).forEach(function (player) {
                    if (!player.isConnected) {
                        player.remove();
                        giveUp(player);
                    }
                });
                entry.players = null;
            }
        });
    }

    // Before the player's own start, which waits for the same moment (the listener added
    // first is called first): no movie of the page starts before it is in view.
    function documentParsed() {
        if (document.readyState === "loading")
            return;
        document.removeEventListener("readystatechange", documentParsed);
        if (document.body) {
            standIn(document.body, document);
            if (nearObserver)
                watchStands();
        }
    }
    document.addEventListener("readystatechange", documentParsed);

    function update(n) {
        fetch(location.href, {cache: "no-store"})
            .then(function (response) {
                return response.arrayBuffer();
            })
            .then(function (bytes) {
                // Read in the encoding the page was loaded in (text() would take every page
                // as UTF-8, and show a single-byte page's letters as replacement marks).
                var decoder;
                try {
                    decoder = new TextDecoder(document.characterSet);
                } catch (e) {
                    decoder = new TextDecoder();
                }
                var text = decoder.decode(bytes);
                var parsed = new DOMParser().parseFromString(text, "text/html");
                document.title = parsed.title;
                standIn(parsed.body, parsed);
                var body = document.adoptNode(parsed.body);
                document.documentElement.replaceChild(body, document.body);
                forgetGone();
                if (nearObserver)
                    watchStands();
                requestAnimationFrame(function () {
                    tlxBridge(function (bridge) {
                        bridge.updated(n, true);
                    });
                });
            })
            .catch(function (error) {
                console.error("the rendering's update " + n + " failed: " + error);
                tlxBridge(function (bridge) {
                    bridge.updated(n, false);
                });
            });
    }

    tlxBridge(function (bridge) {
        bridge.updateRequested.connect(update);
        bridge.ready();
    });
})();
