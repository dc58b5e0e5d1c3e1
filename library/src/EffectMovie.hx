import flash.display.Sprite;
import flash.events.Event;
import tlx.Gfx;
import tlx.Movie;
import tlx.Params;

/**
	A text effect for intro movies: shows T1 in colour TC at size TS (pixels), centred in its own
	area. An intro movie loads it and hands these values over; on its own it reads them from its
	address. Styles: "zoom" (letters fly in from large, one after the other, then breathe) and
	"rise" (letters rise out of a line, then keep swaying on a wave).
**/
class EffectMovie {
	static inline var LOOK = haxe.macro.Compiler.getDefine("look");

	static var letters:Array<Sprite>;
	static var homeY:Float;
	static var started:Float;

	static function main()
		Movie.whenReady(start);

	static function start() {
		var w = Movie.width(), h = Movie.height();
		var text = Params.text("T1", "Your Text");
		var colour = Params.colour("TC", 0x000000);
		var size = Gfx.fitSize(text, Params.int("TS", 40, 6, 200), w * 0.94);
		var set = Gfx.letters(text, size, colour);
		letters = set.sprites;
		var left = (w - set.width) / 2;
		homeY = h / 2;
		var holder = new Sprite();
		holder.mouseEnabled = holder.mouseChildren = false;
		Movie.root.addChild(holder);
		for (s in letters) {
			s.x += left;
			s.y = homeY;
			s.alpha = 0;
			holder.addChild(s);
		}
		started = Movie.seconds();
		Movie.root.addEventListener(Event.ENTER_FRAME, function(_) frame());
		frame();
		Movie.applyWeighting();
	}

	static function clamp(v:Float):Float
		return v < 0 ? 0 : (v > 1 ? 1 : v);

	static function frame() {
		var t = Movie.seconds() - started;
		var n = letters.length;
		for (i in 0...n) {
			var s = letters[i];
			var k = clamp((t - i * 0.08) / 0.5);
			var ease = 1 - Math.pow(1 - k, 3);
			if (LOOK == "zoom") {
				var settled = t - n * 0.08 - 0.5;
				var breathe = settled > 0 ? 1 + 0.04 * Math.sin(settled * 2.5 + i * 0.3) : 1;
				s.scaleX = s.scaleY = (3.2 - 2.2 * ease) * breathe;
				s.alpha = k;
				s.rotation = (1 - ease) * (i % 2 == 0 ? -25 : 25);
			} else {
				var settled = t - n * 0.08 - 0.5;
				var wave = settled > 0 ? Math.sin(settled * 2.2 - i * 0.5) * s.height * 0.12 * clamp(settled) : 0;
				s.y = homeY + (1 - ease) * s.height * 1.2 + wave;
				s.alpha = k;
				s.scaleY = 0.4 + 0.6 * ease;
			}
		}
	}
}
