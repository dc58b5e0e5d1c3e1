import flash.display.Loader;
import flash.display.Shape;
import flash.display.Sprite;
import flash.events.Event;
import flash.events.IOErrorEvent;
import flash.events.MouseEvent;
import flash.events.SecurityErrorEvent;
import flash.media.SoundMixer;
import flash.media.SoundTransform;
import flash.net.URLLoader;
import flash.net.URLLoaderDataFormat;
import flash.net.URLRequest;
import flash.text.TextField;
import flash.text.TextFieldAutoSize;
import flash.text.TextFormatAlign;
import flash.utils.ByteArray;
import tlx.Companion;
import tlx.Gfx;
import tlx.Movie;
import tlx.Params;

/**
	An intro movie for the top of a site. Its texts come from the text file TF next to it (one
	line "T1=heading&T2=more text&eof=1"); the heading is shown in colour TC, with the text
	effect movie TE at size TS where the style takes effects, over the background movie BM,
	with the music TM; a click opens TU in the window TW.

	Styles: "standard" (heading with effect), "standardnoe" (heading, own effect, fixed size),
	"moretext" (heading with effect and the additional text typed out under it), "moretextnoe"
	(heading and additional text, own effects, fixed size).
**/
class IntroMovie {
	static inline var LOOK = haxe.macro.Compiler.getDefine("look");

	var w:Float;
	var h:Float;
	var effects:Bool;
	var more:Bool;
	var colour:Int;
	var backdrop = new Shape();
	var titleHolder = new Sprite();
	var title:Array<Sprite> = [];
	var homes:Array<Float> = [];
	var titleWidth = 0.0;
	var body:TextField;
	var bodyText = "";
	var bodyY = 0.0;
	var enter = new Sprite();
	var ownEffect = false;
	var started = -1.0;
	var music:Loader;

	static function main()
		Movie.whenReady(function() new IntroMovie());

	function new() {
		w = Movie.width();
		h = Movie.height();
		effects = LOOK == "standard" || LOOK == "moretext";
		more = LOOK == "moretext" || LOOK == "moretextnoe";
		colour = Params.colour("TC", 0x000000);
		var root = Movie.root;

		var bm = Params.fileName("BM");
		if (bm == "") {
			root.addChild(backdrop);
		} else {
			var holder = Companion.clippedHolder(w, h);
			root.addChild(holder);
			Companion.load(bm, {}, Companion.inner(holder), function(l) Companion.cover(l, w, h));
		}
		titleHolder.mouseEnabled = titleHolder.mouseChildren = false;
		root.addChild(titleHolder);
		root.addChild(enter);
		enter.visible = false;
		enter.mouseEnabled = enter.mouseChildren = false;

		var tm = Params.fileName("TM");
		if (tm != "") {
			var holder = new Sprite();
			holder.visible = false;
			root.addChild(holder);
			music = Companion.load(tm, {}, holder, function(_) addSpeaker());
		}
		if (Movie.hasLink()) {
			root.buttonMode = root.useHandCursor = true;
			root.addEventListener(MouseEvent.CLICK, function(_) Movie.openLink());
		}
		root.addEventListener(Event.ENTER_FRAME, function(_) frame());
		Movie.applyWeighting();
		readTexts();
	}

	/** Reads the texts from the text file TF; without one (or when it cannot be read) from T1 and T2. **/
	function readTexts() {
		var fallback = function() show(Params.text("T1", "Your Text"), Params.text("T2", "Your Text"));
		var tf = Params.fileName("TF");
		if (tf == "") {
			fallback();
			return;
		}
		var loader = new URLLoader();
		loader.dataFormat = URLLoaderDataFormat.BINARY;
		loader.addEventListener(Event.COMPLETE, function(_) {
			var parsed = parseTextFile(decode(loader.data));
			if (parsed == null)
				fallback();
			else
				show(parsed.t1, parsed.t2);
		});
		loader.addEventListener(IOErrorEvent.IO_ERROR, function(_) fallback());
		loader.addEventListener(SecurityErrorEvent.SECURITY_ERROR, function(_) fallback());
		try {
			// the text file changes while a dialog previews; never take an old copy from a cache
			loader.load(new URLRequest(Companion.siblingUrl(tf) + "?t=" + Date.now().getTime()));
		} catch (e:Dynamic) {
			fallback();
		}
	}

	/** The texts of a file "T1=...&T2=...&eof=1"; the texts themselves may hold "&". **/
	public static function parseTextFile(s:String):Null<{t1:String, t2:String}> {
		var start = s.indexOf("T1=");
		if (start < 0)
			return null;
		var rest = s.substr(start + 3);
		var end = rest.lastIndexOf("&eof=1");
		if (end >= 0)
			rest = rest.substr(0, end);
		else {
			// no closing pair: the file ends the texts
			while (rest.length > 0 && (StringTools.endsWith(rest, "\r") || StringTools.endsWith(rest, "\n")))
				rest = rest.substr(0, rest.length - 1);
		}
		var split = rest.lastIndexOf("&T2=");
		if (split < 0)
			return {t1: rest, t2: ""};
		return {t1: rest.substr(0, split), t2: rest.substr(split + 4)};
	}

	/** The file's bytes as text: UTF-8 when they are valid UTF-8, else one character per byte. **/
	static function decode(bytes:ByteArray):String {
		if (bytes == null)
			return "";
		var n = Std.int(bytes.length);
		var i = 0, valid = true;
		while (i < n && valid) {
			var b = bytes[i];
			var extra = if (b < 0x80) 0 else if (b >= 0xC2 && b < 0xE0) 1 else if (b >= 0xE0 && b < 0xF0) 2 else if (b >= 0xF0 && b < 0xF5) 3 else -1;
			if (extra < 0 || i + extra >= n) {
				valid = false;
				break;
			}
			for (k in 1...extra + 1)
				if ((bytes[i + k] & 0xC0) != 0x80)
					valid = false;
			i += extra + 1;
		}
		if (valid) {
			bytes.position = 0;
			return bytes.readUTFBytes(n);
		}
		var buf = new StringBuf();
		for (k in 0...n)
			buf.addChar(bytes[k]);
		return buf.toString();
	}

	function show(t1:String, t2:String) {
		var titleY = more ? h * 0.24 : h * 0.42;
		var size = effects ? Params.int("TS", 40, 6, 200) : 34;
		size = Std.int(Gfx.fitSize(t1, size, w * 0.92));
		var te = effects ? Params.fileName("TE") : "";
		var builtIn = function() {
			var set = Gfx.letters(t1, size, colour);
			titleWidth = set.width;
			var left = (w - set.width) / 2;
			for (s in set.sprites) {
				s.x += left;
				s.y = titleY;
				s.alpha = 0;
				titleHolder.addChild(s);
			}
			title = set.sprites;
			homes = [for (s in title) s.x];
			ownEffect = true;
		};
		if (te != "") {
			var hex = StringTools.hex(colour, 6);
			Companion.load(te, {T1: t1, TC: hex, TS: Std.string(size)}, titleHolder, function(l) {
				l.x = (w - l.contentLoaderInfo.width) / 2;
				l.y = titleY - l.contentLoaderInfo.height / 2;
			}, builtIn);
		} else
			builtIn();
		if (more && StringTools.trim(t2) != "") {
			bodyText = StringTools.replace(t2, "\r\n", "\n");
			body = Gfx.block(bodyText, 15, colour, w * 0.84, TextFormatAlign.CENTER);
			if (effects) {
				// Typed out from empty: the block keeps the height of the whole text, as a
				// field sized to fit grows by no more than its first line in some players.
				var fullHeight = body.height;
				body.autoSize = TextFieldAutoSize.NONE;
				body.height = fullHeight;
				body.text = "";
			}
			body.x = w * 0.08;
			body.y = bodyY = titleY + size * 0.75 + 10;
			body.alpha = effects ? 1 : 0;
			titleHolder.addChild(body);
		}
		started = Movie.seconds();
	}

	/** How many letters of a `total`-letter text are typed out `local` seconds after the start. **/
	public static function typedLength(local:Float, total:Int):Int {
		var typed = Std.int(Math.max(0, local - 1.0) * 45);
		return typed < total ? typed : total;
	}

	function clamp(v:Float):Float
		return v < 0 ? 0 : (v > 1 ? 1 : v);

	function frame() {
		var t = Movie.seconds();
		drawBackdrop(t);
		if (started < 0)
			return;
		var local = t - started;
		if (ownEffect) {
			var n = title.length;
			var centre = w / 2;
			for (i in 0...n) {
				var s = title[i];
				if (effects) {
					// whole heading zooms in
					var k = clamp(local / 0.9);
					var ease = 1 - Math.pow(1 - k, 3);
					s.alpha = k;
					s.scaleX = s.scaleY = 1.8 - 0.8 * ease;
					s.x = centre + (homes[i] - centre) * s.scaleX;
				} else {
					// letters gather from a wide spacing
					var k = clamp((local - i * 0.03) / 1.2);
					var ease = 1 - Math.pow(1 - k, 3);
					s.alpha = k;
					s.x = centre + (homes[i] - centre) * (2.4 - 1.4 * ease);
				}
			}
		}
		if (body != null) {
			if (effects) {
				// the additional text is typed out
				// A frame late (a busy page) may pass the end of the text: the text is then
				// shown whole, never left short of its last letters.
				var shown = typedLength(local, bodyText.length);
				if (body.text.length != shown)
					body.text = bodyText.substr(0, shown);
			} else {
				var k = clamp((local - 0.9) / 0.8);
				body.alpha = k;
				body.y = bodyY + (1 - k) * 24;
			}
		}
		var done = 2.2 + (body != null ? (effects ? bodyText.length / 45 : 0.8) : 0);
		if (Movie.hasLink() && local > done)
			drawEnter(local - done);
	}

	/** Light backdrop with soft circles, drawn when no background movie is chosen. **/
	function drawBackdrop(t:Float) {
		if (backdrop.parent == null)
			return;
		var g = backdrop.graphics;
		g.clear();
		Gfx.linear(g, [0xFFFFFF, 0xEAF3FB, 0xCFE2F3], [1, 1, 1], [0, 150, 255], 0, 0, w, h);
		g.drawRect(0, 0, w, h);
		g.endFill();
		for (i in 0...7) {
			var r = h * (0.12 + 0.05 * (i % 3));
			var x = w * ((i * 0.173 + t * 0.01 * (1 + i % 3)) % 1.2) - r;
			var y = h * (0.2 + 0.6 * ((i * 0.37) % 1.0)) + Math.sin(t * 0.5 + i) * 8;
			Gfx.radial(g, [0xFFFFFF, 0x9CC3E6], [0.0, 0.22], [120, 255], x - r, y - r, r * 2, r * 2);
			g.drawCircle(x, y, r);
			g.endFill();
		}
	}

	/** The "Enter" sign that invites the visitor on once the texts are shown. **/
	function drawEnter(t:Float) {
		enter.visible = true;
		var g = enter.graphics;
		g.clear();
		if (enter.numChildren == 0) {
			var light = Gfx.brightness(colour) < 0.6;
			var tf = Gfx.label("Enter  \u00BB", 16, light ? 0xFFFFFF : 0x202020);
			Gfx.centre(tf, w / 2, h * 0.86);
			enter.addChild(tf);
		}
		var label = enter.getChildAt(0);
		var bw = label.width + 34, bh = 32;
		Gfx.linear(g, [Gfx.lighten(colour, 0.25), colour], [1, 1], [0, 255], (w - bw) / 2, h * 0.86 - bh / 2, bw, bh);
		Gfx.rounded(g, (w - bw) / 2, h * 0.86 - bh / 2, bw, bh, bh / 2);
		g.endFill();
		enter.alpha = Math.min(1, t / 0.5) * (0.8 + 0.2 * Math.sin(t * 3));
	}

	/** A small speaker in the corner that mutes and unmutes the music. **/
	function addSpeaker() {
		var speaker = new Sprite();
		var muted = false;
		var draw = function() {
			var g = speaker.graphics;
			g.clear();
			g.beginFill(0x000000, 0.35);
			Gfx.rounded(g, 0, 0, 26, 22, 6);
			g.endFill();
			g.beginFill(0xFFFFFF);
			g.moveTo(5, 8);
			g.lineTo(9, 8);
			g.lineTo(14, 4);
			g.lineTo(14, 18);
			g.lineTo(9, 14);
			g.lineTo(5, 14);
			g.endFill();
			g.lineStyle(1.5, 0xFFFFFF);
			if (muted) {
				g.moveTo(17, 8);
				g.lineTo(23, 14);
				g.moveTo(23, 8);
				g.lineTo(17, 14);
			} else {
				g.moveTo(17, 8);
				g.curveTo(19.5, 11, 17, 14);
				g.moveTo(19.5, 5.5);
				g.curveTo(23.5, 11, 19.5, 16.5);
			}
			g.lineStyle();
		};
		draw();
		speaker.x = w - 32;
		speaker.y = h - 28;
		speaker.buttonMode = true;
		speaker.addEventListener(MouseEvent.CLICK, function(e:MouseEvent) {
			e.stopPropagation();
			muted = !muted;
			SoundMixer.soundTransform = new SoundTransform(muted ? 0 : 1);
			draw();
		});
		Movie.root.addChild(speaker);
	}
}
