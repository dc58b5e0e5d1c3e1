package tlx;

import flash.Lib;
import flash.display.MovieClip;
import flash.events.Event;
import flash.geom.ColorTransform;
import flash.net.URLRequest;

/** What every movie of the library shares: start-up, size, colour weighting and links. **/
class Movie {
	/**
		Runs `start` once the movie is on a stage. A movie loaded by another one starts only when
		that one has handed over its values and shown it.
	**/
	public static function whenReady(start:Void->Void) {
		var root = Lib.current;
		var go = function() {
			if (!isTopLevel())
				Params.askLoader();
			start();
		};
		if (root.stage != null) {
			go();
			return;
		}
		var onAdded:Event->Void = null;
		onAdded = function(_) {
			root.removeEventListener(Event.ADDED_TO_STAGE, onAdded);
			go();
		};
		root.addEventListener(Event.ADDED_TO_STAGE, onAdded);
	}

	public static var root(get, never):MovieClip;

	static function get_root()
		return Lib.current;

	/** The movie's own width and height as compiled into it. **/
	public static function width():Float
		return Lib.current.loaderInfo.width;

	public static function height():Float
		return Lib.current.loaderInfo.height;

	/** True when the page shows this movie itself, false when another movie loaded it. **/
	public static function isTopLevel():Bool
		return Lib.current.stage != null && Lib.current.parent == Lib.current.stage;

	/**
		Applies the colour weighting CWR, CWG and CWB (each -100 to 100) to everything the movie
		shows: a weight scales its channel between half and one and a half times and shifts it by
		up to half the range, so -100 takes the channel out and 100 floods it.
	**/
	public static function applyWeighting() {
		var r = Params.int("CWR", 0, -100, 100);
		var g = Params.int("CWG", 0, -100, 100);
		var b = Params.int("CWB", 0, -100, 100);
		Lib.current.transform.colorTransform = weighting(r, g, b);
	}

	public static function weighting(r:Int, g:Int, b:Int):ColorTransform {
		return new ColorTransform(1 + r / 200, 1 + g / 200, 1 + b / 200, 1, r * 1.28, g * 1.28, b * 1.28, 0);
	}

	/** Opens the link TU in the window TW ("_self" when none is given); nothing without a link. **/
	public static function openLink() {
		var url = StringTools.trim(Params.raw("TU"));
		if (url == "")
			return;
		var window = StringTools.trim(Params.raw("TW"));
		try {
			flash.Lib.getURL(new URLRequest(url), window == "" ? "_self" : window);
		} catch (e:Dynamic) {}
	}

	public static function hasLink():Bool
		return StringTools.trim(Params.raw("TU")) != "";

	/** Runs `f` whenever the movie that loaded this one sends the command `name` (see `Companion.call`). **/
	public static function onCommand(name:String, f:Void->Void) {
		try {
			Lib.current.loaderInfo.sharedEvents.addEventListener(name, function(_) f());
		} catch (e:Dynamic) {}
	}

	/** Seconds since the movie started, for animations that keep time with the clock. **/
	public static function seconds():Float
		return flash.Lib.getTimer() / 1000;
}
