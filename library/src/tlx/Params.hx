package tlx;

import flash.Lib;

/**
	The parameters a movie was started with: the keys of its FlashVars and of the query part of
	its address, or, for a movie that another movie of the library loaded, the values that movie
	handed over (see `Companion`).
**/
class Params {
	/** The raw value of `key`, or `fallback` when the movie got no such key. **/
	public static function raw(key:String, fallback:String = ""):String {
		var v:Dynamic = lookup(handedOver(), key);
		if (v == null)
			v = lookup(Lib.current.loaderInfo.parameters, key);
		return v == null ? fallback : Std.string(v);
	}

	/** True when the key was given at all (also when its value is empty). **/
	public static function has(key:String):Bool {
		return lookup(handedOver(), key) != null || lookup(Lib.current.loaderInfo.parameters, key) != null;
	}

	/**
		A text typed by the user, exactly as the movie got it. It is decoded once, before it gets
		here: the player decodes the movie's address and FlashVars as a form ("+" is a blank, %2B
		a plus sign), a preview hands its values over as they are, and `parseQuery` decodes what
		another movie of the library handed over. Decoding again would turn a typed "+" into a
		blank.
	**/
	public static function text(key:String, fallback:String):String {
		if (!has(key))
			return fallback;
		return raw(key);
	}

	/** A colour given as six hexadecimal digits RRGGBB (a leading "#" or "0x" is allowed). **/
	public static function colour(key:String, fallback:Int):Int {
		return parseColour(raw(key), fallback);
	}

	public static function parseColour(s:String, fallback:Int):Int {
		s = StringTools.trim(s);
		if (StringTools.startsWith(s, "#"))
			s = s.substr(1);
		else if (StringTools.startsWith(s.toLowerCase(), "0x"))
			s = s.substr(2);
		if (s.length != 6)
			return fallback;
		var v = 0;
		for (i in 0...6) {
			var c = s.charCodeAt(i);
			var d = if (c >= "0".code && c <= "9".code) c - "0".code else if (c >= "a".code && c <= "f".code) c - "a".code + 10 else if (c >= "A".code
				&& c <= "F".code) c - "A".code + 10 else -1;
			if (d < 0)
				return fallback;
			v = v * 16 + d;
		}
		return v;
	}

	/** A whole number, `fallback` when the value is not one; clamped to [min, max]. **/
	public static function int(key:String, fallback:Int, min:Int, max:Int):Int {
		var v = Std.parseInt(StringTools.trim(raw(key)));
		if (v == null)
			v = fallback;
		return v < min ? min : (v > max ? max : v);
	}

	/**
		A companion file (sound, music, background, text effect, text file): always looked up by
		its bare name next to this movie, so a full path that a preview passes works as well.
	**/
	public static function fileName(key:String):String {
		var s = StringTools.trim(raw(key));
		var cut = Std.int(Math.max(s.lastIndexOf("/"), s.lastIndexOf("\\")));
		if (cut >= 0)
			s = s.substr(cut + 1);
		return s;
	}

	static var handed:Dynamic = null;

	static function handedOver():Dynamic
		return handed;

	/**
		Asks the movie that loaded this one for its values: it answers at once with the query
		text it loaded us with (see `Companion.load`). A movie shown by the page gets no answer.
	**/
	public static function askLoader() {
		try {
			var shared = Lib.current.loaderInfo.sharedEvents;
			var answer = function(e:flash.events.DataEvent) handed = parseQuery(e.data);
			shared.addEventListener(Companion.PARAMS, answer);
			shared.dispatchEvent(new flash.events.Event(Companion.HELLO));
			shared.removeEventListener(Companion.PARAMS, answer);
		} catch (e:Dynamic) {}
	}

	/** The pairs of a query text "K1=v1&K2=v2" (values URL-decoded). **/
	public static function parseQuery(q:String):Dynamic {
		var out = {};
		if (q == null)
			return out;
		for (pair in q.split("&")) {
			var eq = pair.indexOf("=");
			if (eq <= 0)
				continue;
			var v = pair.substr(eq + 1);
			try {
				v = StringTools.urlDecode(v);
			} catch (e:Dynamic) {}
			Reflect.setField(out, pair.substr(0, eq), v);
		}
		return out;
	}

	static function lookup(params:Dynamic, key:String):Dynamic {
		if (params == null)
			return null;
		var v:Dynamic = Reflect.field(params, key);
		if (v != null)
			return v;
		var upper = key.toUpperCase();
		for (k in Reflect.fields(params))
			if (k.toUpperCase() == upper)
				return Reflect.field(params, k);
		return null;
	}
}
