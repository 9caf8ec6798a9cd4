#!/usr/bin/python3
"""Renders the scripting manual from Markdown to one self-contained HTML page.

cmark-gfm (Debian's package of that name) converts the Markdown, tables
included. This script gives each heading the anchor a Markdown viewer gives
it, so that the table of contents works in the page as on the web, adds the
page's style, and fails when a link points at an anchor no heading has, so a
broken table of contents stops the package build instead of shipping.

Usage: md2html.py INPUT.md OUTPUT.html
"""

import html
import re
import subprocess
import sys

STYLE = """
body { font: 15px/1.5 "Segoe UI", Tahoma, sans-serif; color: #1d1d24;
       max-width: 52em; margin: 2em auto; padding: 0 1.2em; }
h1, h2, h3, h4 { line-height: 1.25; margin: 1.6em 0 0.5em; }
h1 { color: #4a2bd4; }
h2 { border-bottom: 1px solid #d8d4ee; padding-bottom: 0.2em; }
code { font: 0.92em Consolas, "Courier New", monospace; background: #f1eff9;
       padding: 0.05em 0.3em; border-radius: 3px; }
pre { background: #f1eff9; padding: 0.8em 1em; overflow-x: auto;
      border-radius: 4px; }
pre code { background: none; padding: 0; }
table { border-collapse: collapse; margin: 0.8em 0; }
th, td { border: 1px solid #d8d4ee; padding: 0.3em 0.6em; text-align: left;
         vertical-align: top; }
th { background: #f1eff9; }
a { color: #4a2bd4; }
"""

HEADING = re.compile(r"<h([1-6])>(.*?)</h\1>", re.S)
TAG = re.compile(r"<[^>]+>")
LINK = re.compile(r'href="#([^"]*)"')


def slug(heading_html):
    """The anchor a Markdown viewer gives a heading: its text in lower case,
    without punctuation, with a hyphen for each space."""
    text = html.unescape(TAG.sub("", heading_html)).lower()
    return re.sub(r"[^\w\- ]", "", text).replace(" ", "-")


def with_anchors(body):
    """The page with an id on every heading; a repeated anchor gets -1, -2."""
    seen = {}

    def anchor(match):
        base = slug(match.group(2))
        count = seen.get(base, 0)
        seen[base] = count + 1
        name = base if count == 0 else "%s-%d" % (base, count)
        return '<h%s id="%s">%s</h%s>' % (match.group(1), name, match.group(2), match.group(1))

    return HEADING.sub(anchor, body)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__.strip().splitlines()[-1])
    body = subprocess.run(["cmark-gfm", "--extension", "table", sys.argv[1]], check=True,
                          capture_output=True, text=True, encoding="utf-8").stdout
    body = with_anchors(body)
    anchors = set(re.findall(r'<h[1-6] id="([^"]*)"', body))
    broken = sorted(set(LINK.findall(body)) - anchors)
    if broken:
        sys.exit("md2html: links to missing headings: " + ", ".join("#" + b for b in broken))
    first = HEADING.search(body)
    title = html.unescape(TAG.sub("", first.group(2))) if first else "Velmora"
    page = ('<!DOCTYPE html>\n<html lang="en">\n<head>\n<meta charset="utf-8">\n'
            "<title>%s</title>\n<style>%s</style>\n</head>\n<body>\n%s</body>\n</html>\n"
            % (html.escape(title), STYLE, body))
    with open(sys.argv[2], "w", encoding="utf-8", newline="\r\n") as output:
        output.write(page)


if __name__ == "__main__":
    main()
