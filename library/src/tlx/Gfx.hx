package tlx;

import flash.display.GradientType;
import flash.display.Graphics;
import flash.display.Sprite;
import flash.geom.Matrix;
import flash.text.TextField;
import flash.text.TextFieldAutoSize;
import flash.text.TextFormat;
import flash.text.TextFormatAlign;

/** Drawing helpers: colours, gradients, rounded shapes and text. **/
class Gfx {
	/**
		The device font of every text. A player drawing device text with the browser's fonts asks
		for "Tamberlux Sans" in every weight (the pages' player script gives that family the
		system's Arial or whatever sans-serif font it has instead, and characters it lacks come
		from the system's other fonts); a player with fonts of its own takes "_sans".
	**/
	public static inline var FONT = "Tamberlux Sans,_sans";

	/** Mixes two colours: t = 0 gives a, t = 1 gives b. **/
	public static function mix(a:Int, b:Int, t:Float):Int {
		inline function ch(c:Int, s:Int)
			return (c >> s) & 0xFF;
		var r = Math.round(ch(a, 16) + (ch(b, 16) - ch(a, 16)) * t);
		var g = Math.round(ch(a, 8) + (ch(b, 8) - ch(a, 8)) * t);
		var bl = Math.round(ch(a, 0) + (ch(b, 0) - ch(a, 0)) * t);
		return (r << 16) | (g << 8) | bl;
	}

	public static function lighten(c:Int, t:Float):Int
		return mix(c, 0xFFFFFF, t);

	public static function darken(c:Int, t:Float):Int
		return mix(c, 0x000000, t);

	/** Perceived brightness from 0 (black) to 1 (white). **/
	public static function brightness(c:Int):Float
		return (0.299 * ((c >> 16) & 0xFF) + 0.587 * ((c >> 8) & 0xFF) + 0.114 * (c & 0xFF)) / 255;

	/** Starts a linear gradient fill over the box x, y, w, h; angle in degrees (90 = top to bottom). **/
	public static function linear(g:Graphics, colours:Array<Int>, alphas:Array<Float>, ratios:Array<Int>, x:Float, y:Float, w:Float, h:Float,
			angle:Float = 90) {
		var m = new Matrix();
		m.createGradientBox(w, h, angle * Math.PI / 180, x, y);
		g.beginGradientFill(GradientType.LINEAR, [for (c in colours) (c : UInt)], alphas, ratios, m);
	}

	/** Starts a radial gradient fill centred in the box x, y, w, h. **/
	public static function radial(g:Graphics, colours:Array<Int>, alphas:Array<Float>, ratios:Array<Int>, x:Float, y:Float, w:Float, h:Float) {
		var m = new Matrix();
		m.createGradientBox(w, h, 0, x, y);
		g.beginGradientFill(GradientType.RADIAL, [for (c in colours) (c : UInt)], alphas, ratios, m);
	}

	/** A rectangle path with its own radius for each corner (top left, top right, bottom right, bottom left). **/
	public static function roundRect(g:Graphics, x:Float, y:Float, w:Float, h:Float, tl:Float, tr:Float, br:Float, bl:Float) {
		var lim = Math.min(w, h) / 2;
		tl = Math.min(tl, lim);
		tr = Math.min(tr, lim);
		br = Math.min(br, lim);
		bl = Math.min(bl, lim);
		g.moveTo(x + tl, y);
		g.lineTo(x + w - tr, y);
		g.curveTo(x + w, y, x + w, y + tr);
		g.lineTo(x + w, y + h - br);
		g.curveTo(x + w, y + h, x + w - br, y + h);
		g.lineTo(x + bl, y + h);
		g.curveTo(x, y + h, x, y + h - bl);
		g.lineTo(x, y + tl);
		g.curveTo(x, y, x + tl, y);
	}

	public static function rounded(g:Graphics, x:Float, y:Float, w:Float, h:Float, r:Float)
		roundRect(g, x, y, w, h, r, r, r, r);

	/** A star path with `points` points around cx, cy. **/
	public static function star(g:Graphics, cx:Float, cy:Float, outer:Float, inner:Float, points:Int, turn:Float = 0) {
		for (i in 0...points * 2 + 1) {
			var a = turn - Math.PI / 2 + i * Math.PI / points;
			var r = i % 2 == 0 ? outer : inner;
			if (i == 0)
				g.moveTo(cx + Math.cos(a) * r, cy + Math.sin(a) * r);
			else
				g.lineTo(cx + Math.cos(a) * r, cy + Math.sin(a) * r);
		}
	}

	/** A one-line text that cannot be selected and lets clicks through. **/
	public static function label(text:String, size:Float, colour:Int, bold:Bool = true):TextField {
		var tf = new TextField();
		tf.selectable = false;
		tf.mouseEnabled = false;
		tf.autoSize = TextFieldAutoSize.LEFT;
		tf.defaultTextFormat = new TextFormat(FONT, Std.int(Math.max(1, Math.round(size))), colour, bold);
		tf.text = text;
		return tf;
	}

	/** The largest size up to `size` at which `text` fits into maxWidth (never below 6). **/
	public static function fitSize(text:String, size:Float, maxWidth:Float, bold:Bool = true):Float {
		var w = label(text, size, 0, bold).textWidth;
		var s = size;
		if (w > maxWidth && w > 0)
			s = Math.floor(size * maxWidth / w);
		while (s > 6 && label(text, s, 0, bold).textWidth > maxWidth)
			s -= 1;
		return Math.max(6, s);
	}

	/** A text block of the given width that wraps its lines. **/
	public static function block(text:String, size:Float, colour:Int, width:Float, align:TextFormatAlign):TextField {
		var tf = new TextField();
		tf.selectable = false;
		tf.mouseEnabled = false;
		tf.multiline = true;
		tf.wordWrap = true;
		tf.width = width;
		var fmt = new TextFormat(FONT, Std.int(size), colour, false);
		fmt.align = align;
		fmt.leading = 2;
		tf.defaultTextFormat = fmt;
		tf.autoSize = TextFieldAutoSize.LEFT;
		tf.text = text;
		return tf;
	}

	/** Places a text so that its centre lies at cx, cy. **/
	public static function centre(tf:TextField, cx:Float, cy:Float) {
		tf.x = Math.round(cx - tf.width / 2);
		tf.y = Math.round(cy - tf.height / 2);
	}

	/**
		Splits a text into one sprite per letter, laid out on one line; each sprite has its origin
		at the letter's centre, so letters can be turned and scaled in place.
	**/
	public static function letters(text:String, size:Float, colour:Int, bold:Bool = true):{sprites:Array<Sprite>, width:Float, height:Float} {
		var sprites = [];
		var x = 0.0, h = 0.0;
		var spaceWidth = label("a a", size, colour, bold).textWidth - label("aa", size, colour, bold).textWidth;
		for (i in 0...text.length) {
			var ch = text.charAt(i);
			var tf = label(ch, size, colour, bold);
			var w = ch == " " ? spaceWidth : tf.textWidth;
			var s = new Sprite();
			s.mouseEnabled = s.mouseChildren = false;
			tf.x = -tf.width / 2;
			tf.y = -tf.height / 2;
			s.addChild(tf);
			s.x = x + w / 2;
			x += w;
			h = Math.max(h, tf.height);
			sprites.push(s);
		}
		return {sprites: sprites, width: x, height: h};
	}
}
