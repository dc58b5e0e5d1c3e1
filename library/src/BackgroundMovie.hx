import flash.display.Shape;
import flash.events.Event;
import tlx.Gfx;
import tlx.Movie;

/**
	A background movie for headings and intro movies: "stars" (a night sky with twinkling,
	drifting stars), "waves" (layers of light water waves) and "bubbles" (soft bubbles rising).
	Drawn for its own size; the movie that shows it scales it to cover its area.
**/
class BackgroundMovie {
	static inline var LOOK = haxe.macro.Compiler.getDefine("look");

	static var w:Float;
	static var h:Float;
	static var sky = new Shape();
	static var layer = new Shape();
	static var dots:Array<{x:Float, y:Float, r:Float, p:Float, v:Float}> = [];

	static function main()
		Movie.whenReady(start);

	static function start() {
		w = Movie.width();
		h = Movie.height();
		Movie.root.addChild(sky);
		Movie.root.addChild(layer);
		Movie.root.mouseEnabled = Movie.root.mouseChildren = false;
		var g = sky.graphics;
		switch (LOOK) {
			case "stars":
				Gfx.linear(g, [0x050A24, 0x142A5C, 0x2D4F8A], [1, 1, 1], [0, 160, 255], 0, 0, w, h);
			case "waves":
				Gfx.linear(g, [0xE8F7FF, 0xB9E3F7, 0x7CC6EA], [1, 1, 1], [0, 140, 255], 0, 0, w, h);
			default:
				Gfx.linear(g, [0xFFF1F6, 0xF3E6FF, 0xE0F0FF], [1, 1, 1], [0, 128, 255], 0, 0, w, h, 45);
		}
		g.drawRect(0, 0, w, h);
		g.endFill();
		var seed = 99;
		var rnd = function() {
			seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF;
			return (seed % 100000) / 100000;
		};
		var count = LOOK == "stars" ? 90 : (LOOK == "bubbles" ? 26 : 0);
		for (_ in 0...count)
			dots.push({x: rnd() * w, y: rnd() * h, r: LOOK == "stars" ? 0.6 + rnd() * 1.6 : 8 + rnd() * 34, p: rnd() * 6.28, v: 0.3 + rnd()});
		Movie.root.addEventListener(Event.ENTER_FRAME, function(_) frame());
		frame();
		Movie.applyWeighting();
	}

	static function frame() {
		var t = Movie.seconds();
		var g = layer.graphics;
		g.clear();
		switch (LOOK) {
			case "stars":
				for (d in dots) {
					var x = (d.x + t * 6 * d.v) % w;
					var a = 0.45 + 0.55 * Math.abs(Math.sin(t * 1.3 * d.v + d.p));
					g.beginFill(0xFFFFFF, a);
					g.drawCircle(x, d.y, d.r);
					g.endFill();
					if (d.r > 1.8) {
						g.lineStyle(0.8, 0xDDE8FF, a * 0.6);
						g.moveTo(x - d.r * 3, d.y);
						g.lineTo(x + d.r * 3, d.y);
						g.moveTo(x, d.y - d.r * 3);
						g.lineTo(x, d.y + d.r * 3);
						g.lineStyle();
					}
				}
			case "waves":
				var colours = [0x9AD7F2, 0x5DB3E0, 0x2C8CC8, 0x1A6AA8];
				for (k in 0...colours.length) {
					var base = h * (0.35 + k * 0.17);
					var amp = h * 0.05 * (1 + k * 0.3);
					g.beginFill(colours[k], 0.55);
					g.moveTo(0, h);
					var x = 0.0;
					while (x <= w + 8) {
						g.lineTo(x, base + Math.sin(x / w * 6.28 * (1.5 + k * 0.3) + t * (0.8 + k * 0.35) + k) * amp);
						x += 8;
					}
					g.lineTo(w, h);
					g.endFill();
				}
			default:
				var colours = [0xFFB3CF, 0xC7A6FF, 0x9FD3FF, 0xB5F2D0];
				for (i in 0...dots.length) {
					var d = dots[i];
					var y = h + d.r - ((h + 2 * d.r) * ((t * 0.06 * d.v + d.p / 6.28) % 1.0));
					var x = d.x + Math.sin(t * d.v + d.p) * 12;
					var c = colours[i % colours.length];
					Gfx.radial(g, [0xFFFFFF, c, c], [0.9, 0.55, 0.15], [0, 90, 255], x - d.r, y - d.r, d.r * 2, d.r * 2);
					g.drawCircle(x, y, d.r);
					g.endFill();
				}
		}
	}
}
