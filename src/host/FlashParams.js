// Gives the EMBED of a Flash OBJECT the options that the OBJECT holds as parameters.
//
// Pages keep each movie as an OBJECT for the ActiveX player with an EMBED for plug-in
// browsers inside it, and the markup the program writes states the window mode and the
// stage alignment only as the OBJECT's PARAMs (WMode, SAlign). The Flash player of the web
// views and of published pages (Ruffle) plays such an OBJECT through its EMBED and reads the
// EMBED's attributes only, so the movie would play centred and opaque. This script copies
// the OBJECT's WMode, SAlign, Scale, Quality and BGColor onto the EMBED where the EMBED states
// none of its own; the window mode in lower case, the one letter case the player knows
// ("TRANSPARENT" would play opaque), also in the PARAM of an OBJECT without an EMBED. The
// page's file is never changed.
//
// It must run before the player's script: it mends the document as it stands, and watches
// for every OBJECT or EMBED added later (its watcher is called before the player's, which is
// made after it). window.tlxMendFlashParams(root) mends a tree not (yet) in the document.
//
// The program holds it as kFlashParamsScript (FlashParamsScript.h, made from this file by the
// build): the web views get it inline before the player; a published page may carry it inline
// or as a file of its own, in a script element before the player's.
(function () {
    "use strict";

    if (typeof window.tlxMendFlashParams === "function")
        return;

    var CARRIED = ["wmode", "salign", "scale", "quality", "bgcolor"];

    // The OBJECT's own PARAMs (not those of an OBJECT inside it), by lower-case name.
    function paramsOf(object) {
        var params = {};
        for (var i = 0; i < object.children.length; i++) {
            var child = object.children[i];
            if (child.tagName !== "PARAM")
                continue;
            var name = (child.getAttribute("name") || "").toLowerCase();
            var value = child.getAttribute("value");
            if (name && value)
                params[name] = value;
        }
        return params;
    }

    function mendEmbed(embed) {
        var object = embed.parentElement ? embed.parentElement.closest("object") : null;
        if (!object)
            return;
        var params = paramsOf(object);
        CARRIED.forEach(function (name) {
            var value = params[name];
            if (value === undefined || embed.hasAttribute(name))
                return;
            embed.setAttribute(name, name === "wmode" ? value.toLowerCase() : value);
        });
    }

    // An OBJECT the player plays itself (one without an EMBED) is read from its PARAMs, names
    // in any letter case, but the window mode again only in lower case.
    function mendObject(object) {
        for (var i = 0; i < object.children.length; i++) {
            var child = object.children[i];
            if (child.tagName !== "PARAM" ||
                (child.getAttribute("name") || "").toLowerCase() !== "wmode")
                continue;
            var value = child.getAttribute("value") || "";
            if (value !== value.toLowerCase())
                child.setAttribute("value", value.toLowerCase());
        }
    }

    function mend(root) {
        if (!root || root.nodeType !== 1 && root.nodeType !== 9 && root.nodeType !== 11)
            return;
        if (root.tagName === "EMBED")
            mendEmbed(root);
        if (root.tagName === "OBJECT")
            mendObject(root);
        var parent = root.parentElement;
        if (root.tagName === "PARAM" && parent && parent.tagName === "OBJECT")
            mendObject(parent);
        if (root.querySelectorAll) {
            var embeds = root.querySelectorAll("object embed");
            for (var i = 0; i < embeds.length; i++)
                mendEmbed(embeds[i]);
            var objects = root.querySelectorAll("object");
            for (var j = 0; j < objects.length; j++)
                mendObject(objects[j]);
        }
    }
    window.tlxMendFlashParams = mend;

    mend(document);
    if ("MutationObserver" in window)
        new MutationObserver(function (records) {
            records.forEach(function (record) {
                for (var i = 0; i < record.addedNodes.length; i++)
                    mend(record.addedNodes[i]);
            });
        }).observe(document, {childList: true, subtree: true});
    document.addEventListener("DOMContentLoaded", function () {
        mend(document);
    });
})();
