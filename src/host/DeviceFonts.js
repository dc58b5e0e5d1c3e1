// The player of the web views and of today's browsers (Ruffle, set to draw device text with
// the browser's fonts) asks the browser for a movie's device font by its family name. The
// library's movies ask for "Tamberlux Sans" (then "_sans"); for "_sans" text that is bold or
// italic, as in movies made before and in most others, the player asks for "Noto Sans". This
// script gives the document both families, as font faces (no element is added): the system's
// Noto Sans where it has it, else the sans-serif fonts the Flash player drew such texts in
// (Arial, Helvetica) or the one a system has instead, so that a family the system lacks is not
// drawn in the browser's standard font, a serif. Characters such a font lacks (Chinese,
// Japanese, ...) come from the system's other fonts, as for any text of the page. A page's
// own text naming Noto Sans on a system without it gets the same font; a page that brings a
// Noto Sans of its own (a web font) keeps it: once the page's style sheets are read (its
// content, then the whole page loaded), the faces given here for that family go again. It
// runs before the player starts.
//
// Kept compact: the program carries it as it stands here (the build takes the lines below
// these comments, without a line break at their end).
(function(){if(!window.FontFace||!document.fonts)return;var R=['Arial','ArialMT','Helvetica','Liberation Sans','LiberationSans','Arimo','Noto Sans','NotoSans-Regular','DejaVu Sans','DejaVuSans','Roboto','Nimbus Sans','NimbusSans-Regular','FreeSans'],B=['Arial Bold','Arial-BoldMT','Helvetica Bold','Helvetica-Bold','Liberation Sans Bold','LiberationSans-Bold','Arimo Bold','Arimo-Bold','Noto Sans Bold','NotoSans-Bold','DejaVu Sans Bold','DejaVuSans-Bold','Roboto Bold','Roboto-Bold','Nimbus Sans Bold','NimbusSans-Bold','FreeSans Bold','FreeSansBold'];function face(family,weight,names){try{var f=new FontFace(family,names.map(function(n){return "local('"+n+"')";}).join(','),{weight:weight});document.fonts.add(f);f.load().catch(function(){});return f;}catch(e){return null;}}face('Tamberlux Sans','400',R);face('Tamberlux Sans','700',B);var own=[face('Noto Sans','400',['Noto Sans','NotoSans-Regular'].concat(R)),face('Noto Sans','700',['Noto Sans Bold','NotoSans-Bold'].concat(B))];function leave(){var theirs=false;document.fonts.forEach(function(f){if(own.indexOf(f)<0&&f.family.replace(/["']/g,'').trim().toLowerCase()==='noto sans')theirs=true;});if(theirs)own.forEach(function(f){if(f)document.fonts.delete(f);});}document.addEventListener("DOMContentLoaded",leave);window.addEventListener("load",leave);})();
