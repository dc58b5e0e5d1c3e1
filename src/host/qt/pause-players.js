// While a modal dialog holds the input the page editor's renderings wait: run in a rendering's
// page world (where the player is scripted) as this function called with `pause` true, and
// with false once the dialog is gone. Only the players it paused play again, so a movie the
// user paused stays paused; a player it paused does not show its play button, as this pause
// ends by itself.
(function (pause) {
    "use strict";
    document.querySelectorAll("ruffle-object, ruffle-embed, ruffle-player").forEach(function (p) {
        try {
            if (pause && p.isPlaying) {
                p.tlxPausedForDialog = true;
                p.pause();
                var button = p.shadowRoot && p.shadowRoot.getElementById("play-button");
                if (button)
                    button.style.display = "none";
            } else if (!pause && p.tlxPausedForDialog) {
                p.tlxPausedForDialog = false;
                p.play();
            }
        } catch (e) {
            console.error("a player could not be " + (pause ? "paused" : "played again") + ": " + e);
        }
    });
})
