import flash.display.Shape;
import flash.events.Event;
import flash.events.MouseEvent;
import flash.media.Sound;
import flash.media.SoundChannel;
import tlx.Gfx;
import tlx.Movie;

@:sound("clip.wav") class Clip extends Sound {}

/**
	A music loop for intro movies: plays its loop without end as soon as it is shown, whether an
	intro movie loaded it or the page shows it; on its own, a click pauses and resumes it.
**/
class MusicMovie {
	static var clip:Clip;
	static var channel:SoundChannel;
	static var icon = new Shape();

	static function main()
		Movie.whenReady(start);

	static function start() {
		clip = new Clip();
		Movie.root.addChild(icon);
		play();
		if (Movie.isTopLevel()) {
			Movie.root.buttonMode = true;
			Movie.root.addEventListener(MouseEvent.CLICK, function(_) channel != null ? stop() : play());
		}
		Movie.root.addEventListener(Event.ENTER_FRAME, function(_) draw());
		Movie.root.addEventListener(Event.REMOVED_FROM_STAGE, function(_) stop());
		Movie.onCommand("tlxStop", stop);
		draw();
		Movie.applyWeighting();
	}

	static function play() {
		try {
			channel = clip.play(0, 0x3FFFFFFF);
		} catch (e:Dynamic) {}
	}

	static function stop() {
		if (channel != null)
			channel.stop();
		channel = null;
	}

	static function draw() {
		var w = Movie.width(), h = Movie.height();
		var s = Math.min(w, h) / 40;
		var g = icon.graphics;
		g.clear();
		Gfx.radial(g, [0x7A5CFF, 0x3B1F9E], [1, 1], [0, 255], -w * 0.3, -h * 0.3, w * 1.6, h * 1.6);
		Gfx.rounded(g, 0.5, 0.5, w - 1, h - 1, 8 * s);
		g.endFill();
		var beat = channel != null ? 1 + 0.08 * Math.abs(Math.sin(Movie.seconds() * 4)) : 1;
		g.beginFill(0xFFFFFF, channel != null ? 1 : 0.5);
		g.drawEllipse(10 * s, (25 - 2 * beat) * s, 8 * s * beat, 6 * s * beat);
		g.drawEllipse(23 * s, (22 - 2 * beat) * s, 8 * s * beat, 6 * s * beat);
		g.drawRect(16.5 * s, 10 * s, 1.8 * s, 15 * s);
		g.drawRect(29.5 * s, 7 * s, 1.8 * s, 15 * s);
		g.endFill();
		g.beginFill(0xFFFFFF, channel != null ? 1 : 0.5);
		g.moveTo(16.5 * s, 10 * s);
		g.lineTo(31.3 * s, 7 * s);
		g.lineTo(31.3 * s, 10.5 * s);
		g.lineTo(16.5 * s, 13.5 * s);
		g.endFill();
	}
}
