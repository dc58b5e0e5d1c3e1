import flash.display.Loader;
import flash.display.Shape;
import flash.display.Sprite;
import flash.events.MouseEvent;
import flash.text.TextField;
import tlx.Companion;
import tlx.Gfx;
import tlx.Movie;
import tlx.Params;

/** How one button of the library looks. **/
typedef ButtonLook = {
	/** Colours of the face from top to bottom. **/
	var face:Array<Int>;
	var border:Int;
	/** Corner radius as a share of the height (0.5 makes a pill). **/
	var round:Float;
	/** Only the top corners are round (a folder tab). **/
	var tab:Bool;
	/** The secondary text T2 is shown under the main text. **/
	var twin:Bool;
	/** A fixed text colour for styles that take none (TC is then ignored). **/
	var fixedText:Null<Int>;
	/** A light gloss over the upper half. **/
	var gloss:Bool;
	/** A glowing outline on a dark face. **/
	var neon:Bool;
}

/**
	A push button: texts T1 (and T2 for the twin styles) in colour TC, a click sound BS (a sound
	movie of the library), and a link TU opened in the window TW. Hover and press states.
**/
class ButtonMovie {
	static inline var LOOK = haxe.macro.Compiler.getDefine("look");

	var look:ButtonLook;
	var w:Float;
	var h:Float;
	var face = new Shape();
	var content = new Sprite();
	var sound:Loader;

	static function main()
		Movie.whenReady(function() new ButtonMovie());

	static function lookNamed(name:String):ButtonLook {
		return switch (name) {
			case "gel": {face: [0x8FD3FF, 0x2F8FE6, 0x1763B8], border: 0x0E4C8F, round: 0.5, tab: false, twin: true, fixedText: null, gloss: true, neon: false};
			case "pill": {face: [0xB8F5C8, 0x3FBF6B, 0x1F8A45], border: 0x17663A, round: 0.5, tab: false, twin: false, fixedText: null, gloss: true, neon: false};
			case "chrome": {face: [0xFAFBFC, 0xC9CED4, 0x9AA2AA, 0xDDE1E5], border: 0x6B737B, round: 0.18, tab: false, twin: false, fixedText: 0x2B3036, gloss: false, neon: false};
			case "tab": {face: [0xFFD58A, 0xFF9F2E, 0xE07010], border: 0xA34C05, round: 0.3, tab: true, twin: true, fixedText: null, gloss: true, neon: false};
			case "round": {face: [0xE3C8FF, 0x9B5DE5, 0x6A2FB8], border: 0x4B1C8A, round: 0.28, tab: false, twin: false, fixedText: null, gloss: true, neon: false};
			default: {face: [0x1C2233, 0x0D111C], border: 0x38E8FF, round: 0.28, tab: false, twin: false, fixedText: 0x7CF4FF, gloss: false, neon: true};
		}
	}

	function new() {
		look = lookNamed(LOOK);
		w = Movie.width();
		h = Movie.height();
		var root = Movie.root;
		root.addChild(face);
		root.addChild(content);
		content.mouseEnabled = content.mouseChildren = false;
		buildTexts();
		draw(0);

		var hit = new Sprite();
		hit.graphics.beginFill(0, 0);
		hit.graphics.drawRect(0, 0, w, h);
		hit.graphics.endFill();
		hit.buttonMode = hit.useHandCursor = true;
		root.addChild(hit);
		var over = false;
		hit.addEventListener(MouseEvent.ROLL_OVER, function(_) {
			over = true;
			draw(1);
		});
		hit.addEventListener(MouseEvent.ROLL_OUT, function(_) {
			over = false;
			draw(0);
		});
		hit.addEventListener(MouseEvent.MOUSE_DOWN, function(_) draw(2));
		hit.addEventListener(MouseEvent.MOUSE_UP, function(_) draw(over ? 1 : 0));
		hit.addEventListener(MouseEvent.CLICK, function(_) click());

		var bs = Params.fileName("BS");
		if (bs != "") {
			var holder = new Sprite();
			holder.visible = false;
			root.addChild(holder);
			sound = Companion.load(bs, {}, holder);
		}
		Movie.applyWeighting();
	}

	function buildTexts() {
		var colour = look.fixedText != null ? look.fixedText : Params.colour("TC", 0x000000);
		var t1 = Params.text("T1", "Your Text");
		var t2 = Params.text("T2", "More Text");
		var pad = Math.max(6, h * (look.round > 0.4 ? 0.45 : 0.25));
		var room = w - 2 * pad;
		if (look.twin && StringTools.trim(t2) != "") {
			var main = line(t1, Gfx.fitSize(t1, h * 0.36, room), colour);
			var sub = line(t2, Gfx.fitSize(t2, h * 0.24, room, false), colour, false);
			sub.alpha = 0.85;
			var total = main.textHeight + sub.textHeight;
			var top = (h - total) / 2 - 2 + (look.tab ? h * 0.04 : 0);
			Gfx.centre(main, w / 2, top + main.textHeight / 2);
			Gfx.centre(sub, w / 2, top + main.textHeight + sub.textHeight / 2);
			addText(main, colour);
			addText(sub, colour);
		} else {
			var main = line(t1, Gfx.fitSize(t1, h * 0.42, room), colour);
			Gfx.centre(main, w / 2, h / 2 + (look.tab ? h * 0.04 : 0));
			addText(main, colour);
		}
	}

	function line(text:String, size:Float, colour:Int, bold = true):TextField
		return Gfx.label(text, size, colour, bold);

	/** Adds a text with a faint engraving or glow that keeps it readable on the face. **/
	function addText(tf:TextField, colour:Int) {
		var under = Gfx.label(tf.text, tf.defaultTextFormat.size, colour, tf.defaultTextFormat.bold);
		if (look.neon) {
			under.textColor = colour;
			under.alpha = 0.35;
			under.x = tf.x;
			under.y = tf.y + 1;
		} else {
			under.textColor = Gfx.brightness(colour) > 0.5 ? 0x000000 : 0xFFFFFF;
			under.alpha = 0.35;
			under.x = tf.x + (Gfx.brightness(colour) > 0.5 ? 0 : 1);
			under.y = tf.y + 1;
		}
		content.addChild(under);
		content.addChild(tf);
	}

	/** Draws the face for a state: 0 normal, 1 hovered, 2 pressed. **/
	function draw(state:Int) {
		var g = face.graphics;
		g.clear();
		var r = h * look.round;
		var inset = 2.0;
		var x = inset, y = inset, fw = w - 2 * inset, fh = h - 2 * inset - 1;
		var shape = function(dx:Float, dy:Float, dw:Float, dh:Float) {
			if (look.tab)
				Gfx.roundRect(g, x + dx, y + dy, fw + dw, fh + dh, r, r, 2, 2);
			else
				Gfx.rounded(g, x + dx, y + dy, fw + dw, fh + dh, r);
		};
		// soft shadow
		g.beginFill(0x000000, state == 2 ? 0.10 : 0.22);
		shape(1, state == 2 ? 1 : 2, 0, 0);
		g.endFill();

		var colours = look.face.copy();
		if (state == 1)
			colours = colours.map(c -> Gfx.lighten(c, look.neon ? 0.15 : 0.24));
		else if (state == 2)
			colours = [for (i in 0...colours.length) Gfx.darken(colours[colours.length - 1 - i], 0.12)];
		var ratios = [for (i in 0...colours.length) Math.round(255 * i / (colours.length - 1))];
		var press = state == 2 ? 1.0 : 0.0;
		if (look.neon) {
			for (i in 0...3) {
				g.lineStyle(2 + (3 - i) * 2, look.border, state == 1 ? 0.16 : 0.08);
				shape(press, press, 0, 0);
			}
		}
		g.lineStyle(look.neon ? 2 : 1, look.border, 1, true);
		Gfx.linear(g, colours, [for (_ in colours) 1.0], ratios, x, y, fw, fh);
		shape(press, press, 0, 0);
		g.endFill();
		g.lineStyle();
		if (look.gloss) {
			Gfx.linear(g, [0xFFFFFF, 0xFFFFFF], [state == 2 ? 0.25 : 0.6, 0.05], [0, 255], x, y, fw, fh * 0.5);
			var gr = Math.max(0, r - 2);
			if (look.tab)
				Gfx.roundRect(g, x + 3 + press, y + 2 + press, fw - 6, fh * 0.46, gr, gr, 4, 4);
			else
				Gfx.roundRect(g, x + 3 + press, y + 2 + press, fw - 6, fh * 0.46, gr, gr, gr * 0.4, gr * 0.4);
			g.endFill();
		} else if (!look.neon) {
			// a bright rim along the top edge of metal faces
			g.lineStyle(1, 0xFFFFFF, 0.8);
			g.moveTo(x + r, y + 1 + press);
			g.lineTo(x + fw - r, y + 1 + press);
			g.lineStyle();
		}
		content.x = content.y = press;
		content.alpha = state == 1 && look.neon ? 1 : (look.neon ? 0.9 : 1);
	}

	function click() {
		var playing = false;
		if (sound != null && sound.content != null) {
			Companion.call(sound, "tlxPlay");
			playing = true;
		}
		if (!Movie.hasLink())
			return;
		// let a click sound be heard before a link in the same window replaces the page
		if (playing)
			haxe.Timer.delay(Movie.openLink, 180);
		else
			Movie.openLink();
	}
}
