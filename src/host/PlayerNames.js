// Pages written for the ActiveX player reach a movie through the document by its name, as in
// document.SndClick.Play(), and call the methods the movie registered through its external
// interface. The Flash player of the web views (Ruffle) plays an OBJECT that holds an EMBED in
// an element of its own that replaces the EMBED, and registers the movie's methods on that
// element only; an OBJECT without an EMBED it replaces whole, and the document no longer names
// it. This script, put into every page after the player, makes both forms answer as before:
// methods registered on a player inside an OBJECT are also callable on the OBJECT, and a
// replaced OBJECT or EMBED is named on the document again (by its NAME, else its ID) where
// the document has no such name of its own.
//
// Kept compact: published pages carry it inline as it stands here (the build takes the lines
// below these comments, without a line break at their end).
(function(){var S='ruffle-object,ruffle-embed',P=/^RUFFLE-(OBJECT|EMBED)/,define=Object.defineProperty;Object.defineProperty=function(o,n,d){var r=define.apply(this,arguments);try{if(o&&o.tagName&&P.test(o.tagName)&&d&&typeof d.value==='function'){var h=o.parentElement;if(h&&h.tagName==='OBJECT'&&!(n in h))define(h,n,{configurable:true,value:function(){return o[n].apply(o,arguments);}});}}catch(e){}return r;};function find(n){var p=document.querySelectorAll(S);for(var i=0;i<p.length;i++){if(p[i].getAttribute('name')===n||p[i].id===n)return p[i];}return undefined;}function name(n){if(!n||!/^[A-Za-z_$][\w$]*$/.test(n)||(n in Document.prototype)||Object.prototype.hasOwnProperty.call(document,n))return;define(document,n,{configurable:true,get:function(){return find(n);}});}function expose(){var p=document.querySelectorAll(S);for(var i=0;i<p.length;i++){name(p[i].getAttribute('name'));name(p[i].id);}}new MutationObserver(expose).observe(document.documentElement,{childList:true,subtree:true});document.addEventListener('DOMContentLoaded',expose);})();
