#!/usr/bin/python3
"""Prints the ID of every OBJECT element of a page that a browser shows as part of the body.

The page is parsed by html5lib, a standards HTML parser, as a browser with scripts on parses
it (a NOSCRIPT's content is text). An object counts when it is an HTML element inside BODY and
no element around it is of another namespace (SVG, MathML) or keeps its content from being
shown (TEMPLATE, NOSCRIPT, the fallback content of an OBJECT or APPLET). Exit 3 when html5lib
is missing.
"""
import sys

try:
    import html5lib
except ImportError:
    sys.stderr.write("html5lib is missing (Debian: python3-html5lib)\n")
    sys.exit(3)

XHTML = "{http://www.w3.org/1999/xhtml}"
HIDING = {"template", "noscript", "object", "applet"}


def shown_objects(data):
    parser = html5lib.HTMLParser(tree=html5lib.getTreeBuilder("etree"))
    root = parser.parse(data, scripting=True)
    parent = {child: node for node in root.iter() for child in node}
    for element in root.iter(XHTML + "object"):
        up, in_body = parent.get(element), False
        while up is not None:
            if not isinstance(up.tag, str) or not up.tag.startswith(XHTML):
                break
            name = up.tag[len(XHTML):]
            if name in HIDING:
                break
            in_body = in_body or name == "body"
            up = parent.get(up)
        else:
            if in_body:
                yield element.get("id", "")


if __name__ == "__main__":
    with open(sys.argv[1], "rb") as page:
        for object_id in shown_objects(page.read()):
            print(object_id)
