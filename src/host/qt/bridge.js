// Connects the program's scripts of a web view to the program (see ScriptBridge.h). Runs in
// the program's own script world, after Qt's qwebchannel.js: tlxBridge(use) calls `use` with
// the channel's object as soon as the channel is open.
var tlxBridge = (function () {
    "use strict";

    var object = null;
    var waiting = [];
    if (typeof qt === "undefined" || !qt.webChannelTransport) {
        console.error("the program's channel is missing from this view");
        return function () {};
    }
    new QWebChannel(qt.webChannelTransport, function (channel) {
        // The channel carries one object.
        object = channel.objects.bridge;
        waiting.forEach(function (use) {
            use(object);
        });
        waiting = null;
    });
    return function (use) {
        if (object)
            use(object);
        else
            waiting.push(use);
    };
})();
