import flash.display.Shape;
import flash.events.Event;
import tlx.Gfx;
import tlx.Movie;

/**
	Ready-made art that takes no texts or links (only the colour weighting): "star" (a turning
	golden star), "heart" (a beating heart), "sun" (a smiling sun with turning rays), "flower"
	(a swaying flower), "globe" (a turning globe) and "new" (a "NEW!" burst).
**/
class ArtMovie {
	static inline var LOOK = haxe.macro.Compiler.getDefine("look");

	static var w:Float;
	static var h:Float;
	static var art = new Shape();
	static var label:flash.text.TextField;

	static function main()
		Movie.whenReady(start);

	static function start() {
		w = Movie.width();
		h = Movie.height();
		Movie.root.addChild(art);
		if (LOOK == "new") {
			label = Gfx.label("NEW!", h * 0.26, 0xFFFFFF);
			Movie.root.addChild(label);
		}
		Movie.root.addEventListener(Event.ENTER_FRAME, function(_) frame());
		frame();
		Movie.applyWeighting();
	}

	static function frame() {
		var t = Movie.seconds();
		var g = art.graphics;
		g.clear();
		var cx = w / 2, cy = h / 2, r = Math.min(w, h) * 0.42;
		switch (LOOK) {
			case "star":
				var turn = t * 0.9;
				shadow(g, cx, cy, r);
				Gfx.radial(g, [0xFFF7B0, 0xFFD23F, 0xE89A00], [1, 1, 1], [0, 140, 255], cx - r, cy - r, 2 * r, 2 * r);
				g.lineStyle(1.5, 0xB36B00);
				Gfx.star(g, cx, cy, r, r * 0.45, 5, turn);
				g.endFill();
				g.lineStyle();
				for (i in 0...3) {
					var a = t * 1.7 + i * 2.1;
					var s = 2 + 1.5 * Math.abs(Math.sin(t * 3 + i));
					g.beginFill(0xFFFFFF, 0.9);
					Gfx.star(g, cx + Math.cos(a) * r * 1.05, cy + Math.sin(a) * r * 0.95, s * 2, s * 0.6, 4);
					g.endFill();
				}
			case "heart":
				var beat = 1 + 0.12 * Math.pow(Math.abs(Math.sin(t * 3.2)), 6);
				var s = r * beat;
				shadow(g, cx, cy, r);
				Gfx.radial(g, [0xFF8FA8, 0xF0284F, 0xA8002A], [1, 1, 1], [0, 150, 255], cx - s * 1.1, cy - s * 1.1, 2.2 * s, 2.2 * s);
				g.moveTo(cx, cy + s * 0.85);
				g.curveTo(cx - s * 1.35, cy - s * 0.05, cx - s * 0.75, cy - s * 0.7);
				g.curveTo(cx - s * 0.25, cy - s * 1.05, cx, cy - s * 0.45);
				g.curveTo(cx + s * 0.25, cy - s * 1.05, cx + s * 0.75, cy - s * 0.7);
				g.curveTo(cx + s * 1.35, cy - s * 0.05, cx, cy + s * 0.85);
				g.endFill();
				g.beginFill(0xFFFFFF, 0.55);
				g.drawEllipse(cx - s * 0.68, cy - s * 0.62, s * 0.32, s * 0.2);
				g.endFill();
			case "sun":
				var rays = 12;
				for (i in 0...rays) {
					var a = t * 0.6 + i * Math.PI * 2 / rays;
					var len = r * (i % 2 == 0 ? 1.0 : 0.85) * (0.95 + 0.05 * Math.sin(t * 4 + i));
					g.beginFill(i % 2 == 0 ? 0xFFB300 : 0xFFD54F);
					g.moveTo(cx + Math.cos(a - 0.13) * r * 0.6, cy + Math.sin(a - 0.13) * r * 0.6);
					g.lineTo(cx + Math.cos(a) * len, cy + Math.sin(a) * len);
					g.lineTo(cx + Math.cos(a + 0.13) * r * 0.6, cy + Math.sin(a + 0.13) * r * 0.6);
					g.endFill();
				}
				Gfx.radial(g, [0xFFF59D, 0xFFCA28, 0xFB8C00], [1, 1, 1], [0, 160, 255], cx - r * 0.62, cy - r * 0.62, r * 1.24, r * 1.24);
				g.drawCircle(cx, cy, r * 0.62);
				g.endFill();
				g.beginFill(0x7A4A00);
				var blink = (t % 4.0) < 0.15 ? 0.2 : 1.0;
				g.drawEllipse(cx - r * 0.25, cy - r * 0.18, r * 0.1, r * 0.14 * blink);
				g.drawEllipse(cx + r * 0.15, cy - r * 0.18, r * 0.1, r * 0.14 * blink);
				g.endFill();
				g.lineStyle(r * 0.05, 0x7A4A00);
				g.moveTo(cx - r * 0.25, cy + r * 0.15);
				g.curveTo(cx, cy + r * 0.38, cx + r * 0.25, cy + r * 0.15);
				g.lineStyle();
			case "flower":
				var sway = Math.sin(t * 1.5) * 0.12;
				var top = {x: cx + Math.sin(sway) * r * 1.1, y: cy - r * 0.25};
				g.lineStyle(r * 0.08, 0x2E8B3E);
				g.moveTo(cx, h - 2);
				g.curveTo(cx - r * 0.1, cy + r * 0.4, top.x, top.y);
				g.lineStyle();
				g.beginFill(0x43A047);
				g.drawEllipse(cx - r * 0.5, cy + r * 0.45, r * 0.45, r * 0.18);
				g.endFill();
				for (i in 0...8) {
					var a = i * Math.PI / 4 + sway * 2;
					var px = top.x + Math.cos(a) * r * 0.38, py = top.y + Math.sin(a) * r * 0.38;
					Gfx.radial(g, [0xFFFFFF, 0xF48FB1, 0xD81B60], [1, 1, 1], [0, 120, 255], px - r * 0.26, py - r * 0.26, r * 0.52, r * 0.52);
					g.drawCircle(px, py, r * 0.24);
					g.endFill();
				}
				Gfx.radial(g, [0xFFF176, 0xF9A825], [1, 1], [0, 255], top.x - r * 0.22, top.y - r * 0.22, r * 0.44, r * 0.44);
				g.drawCircle(top.x, top.y, r * 0.2);
				g.endFill();
			case "globe":
				shadow(g, cx, cy, r);
				Gfx.radial(g, [0x8FD8FF, 0x2B8BD6, 0x0B4F8A], [1, 1, 1], [0, 150, 255], cx - r * 1.3, cy - r * 1.3, r * 2.2, r * 2.2);
				g.drawCircle(cx, cy, r);
				g.endFill();
				// land masses: patches that travel round and shrink towards the rim
				var patches = [[0.2, -0.3, 0.35], [1.4, 0.1, 0.45], [2.6, 0.45, 0.3], [3.9, -0.1, 0.4], [5.1, 0.35, 0.28]];
				for (p in patches) {
					var lon = p[0] + t * 0.7;
					var c = Math.cos(lon);
					if (c <= 0)
						continue;
					var px = cx + Math.sin(lon) * r * Math.cos(p[1]);
					var py = cy + p[1] * r;
					g.beginFill(0x4CAF50, 0.9);
					g.drawEllipse(px - r * p[2] * c * 0.5, py - r * p[2] * 0.35, r * p[2] * c, r * p[2] * 0.7);
					g.endFill();
				}
				g.lineStyle(1, 0xFFFFFF, 0.35);
				for (k in 1...4) {
					var lon = (t * 0.7 + k * Math.PI / 4) % Math.PI;
					g.drawEllipse(cx - r * Math.abs(Math.cos(lon)), cy - r, 2 * r * Math.abs(Math.cos(lon)), 2 * r);
				}
				g.drawEllipse(cx - r, cy - r * 0.35, 2 * r, r * 0.7);
				g.lineStyle();
				g.beginFill(0xFFFFFF, 0.3);
				g.drawEllipse(cx - r * 0.6, cy - r * 0.75, r * 0.6, r * 0.35);
				g.endFill();
			default:
				var turn = Math.sin(t * 1.2) * 0.15;
				var pulse = 1 + 0.05 * Math.sin(t * 5);
				shadow(g, cx, cy, r);
				Gfx.radial(g, [0xFF8A65, 0xF4511E, 0xBF360C], [1, 1, 1], [0, 150, 255], cx - r, cy - r, 2 * r, 2 * r);
				g.lineStyle(2, 0xFFFFFF);
				Gfx.star(g, cx, cy, r * pulse, r * 0.78 * pulse, 14, turn);
				g.endFill();
				g.lineStyle();
				if (label != null) {
					// device text cannot turn, so the label only breathes with the burst
					label.scaleX = label.scaleY = pulse;
					label.x = cx - label.width / 2;
					label.y = cy - label.height / 2;
				}
		}
	}

	static function shadow(g:flash.display.Graphics, cx:Float, cy:Float, r:Float) {
		g.beginFill(0x000000, 0.12);
		g.drawEllipse(cx - r * 0.8, cy + r * 0.9, r * 1.6, r * 0.22);
		g.endFill();
	}
}
