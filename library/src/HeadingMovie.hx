import flash.display.Shape;
import flash.display.Sprite;
import flash.events.Event;
import flash.events.MouseEvent;
import tlx.Companion;
import tlx.Gfx;
import tlx.Movie;
import tlx.Params;

/**
	A heading or banner: the text T1 in colour TC (the NoColor style keeps its own colours), the
	background movie BM behind it, and the link TU opened in the window TW on a click.

	Styles: "wave" (letters riding a gentle wave), "drop" (letters drop in one by one and an
	underline sweeps out under them), "stone" (an engraved stone plate; NoColor).
**/
class HeadingMovie {
	static inline var LOOK = haxe.macro.Compiler.getDefine("look");

	var w:Float;
	var h:Float;
	var letters:Array<Sprite>;
	var baseY:Array<Float> = [];
	var deco = new Shape();
	var started:Float;

	static function main()
		Movie.whenReady(function() new HeadingMovie());

	function new() {
		w = Movie.width();
		h = Movie.height();
		var root = Movie.root;
		var bm = Params.fileName("BM");
		if (bm != "") {
			var holder = Companion.clippedHolder(w, h);
			root.addChild(holder);
			Companion.load(bm, {}, Companion.inner(holder), function(l) Companion.cover(l, w, h));
		}
		var stone = LOOK == "stone";
		if (stone)
			drawPlate(root.graphics, bm != "");
		root.addChild(deco);

		var text = Params.text("T1", "Your Text");
		var colour = stone ? 0x3A4046 : Params.colour("TC", 0x000000);
		var size = Gfx.fitSize(text, h * (stone ? 0.5 : 0.58), w * 0.9);
		if (stone) {
			// engraving: a light edge below the dark letters
			var lightSet = Gfx.letters(text, size, 0xF2F4F6);
			place(lightSet, 1, 1.5, 0.9);
		}
		var set = Gfx.letters(text, size, colour);
		letters = place(set, 0, 0, 1);
		started = Movie.seconds();
		root.addEventListener(Event.ENTER_FRAME, function(_) animate());
		animate();

		if (Movie.hasLink()) {
			root.buttonMode = root.useHandCursor = true;
			root.addEventListener(MouseEvent.CLICK, function(_) Movie.openLink());
		}
		Movie.applyWeighting();
	}

	function place(set:{sprites:Array<Sprite>, width:Float, height:Float}, dx:Float, dy:Float, alpha:Float):Array<Sprite> {
		var left = (w - set.width) / 2 + dx;
		for (s in set.sprites) {
			s.x += left;
			s.y = h / 2 + dy;
			s.alpha = alpha;
			Movie.root.addChild(s);
			if (dx == 0 && dy == 0)
				baseY.push(s.y);
		}
		if (dx != 0 || dy != 0)
			shadows = set.sprites;
		return set.sprites;
	}

	var shadows:Array<Sprite>;

	function animate() {
		var t = Movie.seconds() - started;
		switch (LOOK) {
			case "wave":
				for (i in 0...letters.length)
					letters[i].y = baseY[i] + Math.sin(t * 3 - i * 0.55) * h * 0.07;
			case "drop":
				var g = deco.graphics;
				g.clear();
				for (i in 0...letters.length) {
					var k = clamp((t - i * 0.06) / 0.45);
					var ease = 1 - Math.pow(1 - k, 3);
					letters[i].y = baseY[i] - (1 - ease) * h * 0.8;
					letters[i].alpha = k;
				}
				var line = clamp((t - letters.length * 0.06 - 0.2) / 0.6);
				if (line > 0) {
					var first = letters.length > 0 ? letters[0].x - letters[0].width / 2 : w / 2;
					var last = letters.length > 0 ? letters[letters.length - 1].x + letters[letters.length - 1].width / 2 : w / 2;
					var cx = (first + last) / 2, half = (last - first) / 2 * line;
					var colour = Params.colour("TC", 0x000000);
					Gfx.linear(g, [colour, colour, colour], [0, 0.9, 0], [0, 128, 255], cx - half, 0, 2 * half + 1, 1, 0);
					g.drawRect(cx - half, h * 0.86, 2 * half, Math.max(2, h * 0.04));
					g.endFill();
					// a glint that runs along the line now and then
					var glint = ((t * 0.35) % 1.0) * 1.6 - 0.3;
					if (glint > 0 && glint < 1) {
						var gx = first + (last - first) * glint;
						Gfx.radial(g, [0xFFFFFF, 0xFFFFFF], [0.9, 0], [0, 255], gx - 14, h * 0.86 - 6, 28, 12 + Math.max(2, h * 0.04));
						g.drawRect(gx - 14, h * 0.86 - 6, 28, 12 + Math.max(2, h * 0.04));
						g.endFill();
					}
				}
			default:
				// stone: the letters appear out of the stone, then stay
				var k = clamp(t / 1.2);
				for (s in letters)
					s.alpha = k;
				if (shadows != null)
					for (s in shadows)
						s.alpha = 0.9 * k;
		}
	}

	static function clamp(v:Float):Float
		return v < 0 ? 0 : (v > 1 ? 1 : v);

	function drawPlate(g:flash.display.Graphics, overBackground:Bool) {
		var a = overBackground ? 0.82 : 1.0;
		g.beginFill(0x000000, 0.25);
		Gfx.rounded(g, 2, 3, w - 3, h - 4, h * 0.18);
		g.endFill();
		Gfx.linear(g, [0xD9DCDF, 0xB4B9BE, 0x9EA4AA, 0xC3C7CB], [a, a, a, a], [0, 90, 170, 255], 0, 0, w, h, 80);
		g.lineStyle(1, 0x6E757C, 1, true);
		Gfx.rounded(g, 1, 1, w - 3, h - 4, h * 0.18);
		g.endFill();
		g.lineStyle();
		// speckles of the stone
		var seed = 7;
		for (_ in 0...Std.int(w * h / 90)) {
			seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF;
			var x = 4 + (seed % 10000) / 10000 * (w - 10);
			seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF;
			var y = 4 + (seed % 10000) / 10000 * (h - 12);
			g.beginFill((seed & 1) == 0 ? 0xFFFFFF : 0x50565C, 0.18);
			g.drawCircle(x, y, 0.6 + (seed % 7) / 7);
			g.endFill();
		}
		// bevel: light upper edge, dark lower edge
		g.lineStyle(2, 0xFFFFFF, 0.55);
		g.moveTo(h * 0.18, 3);
		g.lineTo(w - h * 0.18, 3);
		g.lineStyle(2, 0x4A5056, 0.35);
		g.moveTo(h * 0.18, h - 5);
		g.lineTo(w - h * 0.18, h - 5);
		g.lineStyle();
	}
}
