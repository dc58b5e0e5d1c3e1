package tlx;

import flash.Lib;
import flash.display.DisplayObject;
import flash.display.DisplayObjectContainer;
import flash.display.Loader;
import flash.display.Shape;
import flash.display.Sprite;
import flash.events.DataEvent;
import flash.events.Event;
import flash.events.IOErrorEvent;
import flash.events.SecurityErrorEvent;
import flash.net.URLRequest;
import flash.system.ApplicationDomain;
import flash.system.LoaderContext;

/**
	Loads a companion movie of the library (background, text effect, music, sound) from the
	folder this movie came from. The companion gets its own application domain, so its classes
	never mix with ours, and is handed its values both in its address and directly.
**/
class Companion {
	/** Sent by a loaded companion to ask for its values. **/
	public static inline var HELLO = "tlxHello";

	/** The answer to HELLO: a DataEvent whose data is the query text of the values. **/
	public static inline var PARAMS = "tlxParams";

	/** The address of a file next to this movie. **/
	public static function siblingUrl(file:String):String {
		var own = Lib.current.loaderInfo.url;
		if (own == null)
			return file;
		var q = own.indexOf("?");
		if (q >= 0)
			own = own.substr(0, q);
		var h = own.indexOf("#");
		if (h >= 0)
			own = own.substr(0, h);
		var slash = own.lastIndexOf("/");
		return slash >= 0 ? own.substr(0, slash + 1) + file : file;
	}

	/**
		Loads `file` with the values `params` into `holder`; `ready` runs once the companion is
		shown. A missing or broken companion is left out without a word.
	**/
	public static function load(file:String, params:Dynamic, holder:DisplayObjectContainer, ?ready:Loader->Void, ?failed:Void->Void):Loader {
		var loader = new Loader();
		var fail = function() if (failed != null) failed();
		if (file == "" || !safeName(file)) {
			fail();
			return loader;
		}
		var query = [];
		if (params != null)
			for (k in Reflect.fields(params))
				query.push(k + "=" + StringTools.urlEncode(Std.string(Reflect.field(params, k))));
		var url = siblingUrl(file) + (query.length > 0 ? "?" + query.join("&") : "");
		var info = loader.contentLoaderInfo;
		try {
			var shared = info.sharedEvents;
			var text = query.join("&");
			shared.addEventListener(HELLO, function(_) shared.dispatchEvent(new DataEvent(PARAMS, false, false, text)));
		} catch (e:Dynamic) {}
		info.addEventListener(Event.INIT, function(_) {
			holder.addChild(loader);
			if (ready != null)
				ready(loader);
		});
		info.addEventListener(IOErrorEvent.IO_ERROR, function(_) fail());
		info.addEventListener(SecurityErrorEvent.SECURITY_ERROR, function(_) fail());
		try {
			loader.load(new URLRequest(url), new LoaderContext(false, new ApplicationDomain()));
		} catch (e:Dynamic) {
			fail();
		}
		return loader;
	}

	/** Sends the command `name` to a loaded companion (see `Movie.onCommand`). **/
	public static function call(loader:Loader, name:String):Void {
		try {
			loader.contentLoaderInfo.sharedEvents.dispatchEvent(new Event(name));
		} catch (e:Dynamic) {}
	}

	/**
		A background companion fills the area w x h of `holder`: scaled evenly until it covers the
		area, centred, and clipped to it.
	**/
	public static function cover(loader:Loader, w:Float, h:Float) {
		var cw = loader.contentLoaderInfo.width, ch = loader.contentLoaderInfo.height;
		if (cw <= 0 || ch <= 0)
			return;
		var s = Math.max(w / cw, h / ch);
		loader.scaleX = loader.scaleY = s;
		loader.x = (w - cw * s) / 2;
		loader.y = (h - ch * s) / 2;
	}

	/** A holder for a background of size w x h that shows nothing outside that area. **/
	public static function clippedHolder(w:Float, h:Float):Sprite {
		var holder = new Sprite();
		var mask = new Shape();
		mask.graphics.beginFill(0);
		mask.graphics.drawRect(0, 0, w, h);
		mask.graphics.endFill();
		var inner = new Sprite();
		holder.addChild(inner);
		holder.addChild(mask);
		inner.mask = mask;
		holder.mouseEnabled = holder.mouseChildren = false;
		return holder;
	}

	public static function inner(holder:Sprite):Sprite
		return cast holder.getChildAt(0);

	static function safeName(file:String):Bool {
		return file.indexOf("..") < 0 && file.indexOf(":") < 0;
	}
}
