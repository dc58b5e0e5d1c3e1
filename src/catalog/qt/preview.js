// Runs in the program's script world of a preview (see host/qt/ScriptBridge.h): hands the
// player page's reports on to the program. The page (preview-player.htm) reports in its own
// world, where the player is scripted, with a "tlx-report" event of its document whose detail
// is [restart, shown].
document.addEventListener("tlx-report", function (event) {
    "use strict";
    var report = event.detail;
    if (!Array.isArray(report) || report.length !== 2)
        return;
    tlxBridge(function (bridge) {
        bridge.settled(Number(report[0]), report[1] === true);
    });
});
