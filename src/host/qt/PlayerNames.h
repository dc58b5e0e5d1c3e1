#pragma once
// Pages written for the ActiveX player reach a movie by its name on the document:
// document.SndClick.Play() calls the method the movie registered through its external
// interface. The Flash player of the web views (Ruffle) replaces each OBJECT and EMBED by an
// element of its own, which the document no longer names, although that element carries the
// movie's registered methods. This script, put into every page next to the player, names
// those elements on the document again (by their NAME, else their ID) wherever the document
// has no such name of its own.

namespace tlx::host {

inline constexpr char kPlayerNamesScript[] =
    "<script>(function(){var S='ruffle-object,ruffle-embed';"
    "function find(n){var p=document.querySelectorAll(S);for(var i=0;i<p.length;i++){"
    "if(p[i].getAttribute('name')===n||p[i].id===n)return p[i];}return undefined;}"
    "function name(n){if(!n||!/^[A-Za-z_$][\\w$]*$/.test(n)||(n in Document.prototype)||"
    "Object.prototype.hasOwnProperty.call(document,n))return;"
    "Object.defineProperty(document,n,{configurable:true,get:function(){return find(n);}});}"
    "function expose(){var p=document.querySelectorAll(S+',object,embed');"
    "for(var i=0;i<p.length;i++){name(p[i].getAttribute('name'));name(p[i].id);}}"
    "new MutationObserver(expose).observe(document.documentElement,{childList:true,"
    "subtree:true});document.addEventListener('DOMContentLoaded',expose);})();</script>";

} // namespace tlx::host
