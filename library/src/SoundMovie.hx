import flash.display.Shape;
import flash.events.Event;
import flash.external.ExternalInterface;
import flash.media.Sound;
import tlx.Gfx;
import tlx.Movie;

@:sound("clip.wav") class Clip extends Sound {}

/**
	A sound of the library: a small speaker that plays its sound when the page shows it, and
	again whenever it is asked to: by the page (`Play()`, through the player's external
	interface) or by a button that loaded it as its click sound (`tlxPlay`).
**/
class SoundMovie {
	static var clip:Clip;
	static var icon:Shape;
	// How often the sound was started; the page can ask (`tlxPlays()`), which shows that a call
	// reached the movie even where no sound can be heard.
	static var plays:Int = 0;

	static function main()
		Movie.whenReady(start);

	static function start() {
		clip = new Clip();
		icon = new Shape();
		Movie.root.addChild(icon);
		drawIcon(0);
		Movie.onCommand("tlxPlay", play);
		if (Movie.isTopLevel()) {
			try {
				if (ExternalInterface.available) {
					ExternalInterface.addCallback("Play", play);
					ExternalInterface.addCallback("tlxPlay", play);
					ExternalInterface.addCallback("tlxPlays", function() return plays);
				}
			} catch (e:Dynamic) {}
			Movie.root.buttonMode = true;
			Movie.root.addEventListener(flash.events.MouseEvent.CLICK, function(_) play());
			play();
		}
		Movie.applyWeighting();
	}

	static function play() {
		plays++;
		try {
			var ch = clip.play();
			drawIcon(1);
			if (ch != null)
				ch.addEventListener(Event.SOUND_COMPLETE, function(_) drawIcon(0));
		} catch (e:Dynamic) {}
	}

	static function drawIcon(waves:Int) {
		var w = Movie.width(), h = Movie.height();
		var s = Math.min(w, h) / 18;
		var g = icon.graphics;
		g.clear();
		Gfx.linear(g, [0x5B6B7F, 0x2E3947], [1, 1], [0, 255], 0, 0, w, h);
		Gfx.rounded(g, 0.5, 0.5, w - 1, h - 1, 4 * s);
		g.endFill();
		g.beginFill(0xFFFFFF);
		g.moveTo(3 * s, 7 * s);
		g.lineTo(6 * s, 7 * s);
		g.lineTo(10 * s, 3.5 * s);
		g.lineTo(10 * s, 14.5 * s);
		g.lineTo(6 * s, 11 * s);
		g.lineTo(3 * s, 11 * s);
		g.endFill();
		g.lineStyle(1.2 * s, waves > 0 ? 0xFFE066 : 0xCFD8E3);
		g.moveTo(12 * s, 6.5 * s);
		g.curveTo(13.6 * s, 9 * s, 12 * s, 11.5 * s);
		g.moveTo(14 * s, 4.8 * s);
		g.curveTo(16.6 * s, 9 * s, 14 * s, 13.2 * s);
		g.lineStyle();
	}
}
