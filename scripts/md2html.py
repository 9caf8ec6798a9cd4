#!/usr/bin/env python3
"""Renders the scripting manual from Markdown to one self-contained HTML page.

Handles the part of Markdown the manual is written in: headings (each gets
the anchor a Markdown viewer would give it, so the table of contents works in
both), paragraphs, fenced code, bullet and numbered lists with one level of
nesting, pipe tables, and inline code, bold, italics, links and character
entities such as &lt;. A link to an anchor that no heading has is an error, so a broken table of
contents fails the package build instead of shipping.

Usage: md2html.py INPUT.md OUTPUT.html
"""

import html
import re
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

HEADING = re.compile(r"^(#{1,4})\s+(.*)$")
FENCE = re.compile(r"^```")
BULLET = re.compile(r"^(\s*)[-*]\s+(.*)$")
NUMBERED = re.compile(r"^(\s*)\d+\.\s+(.*)$")
TABLE_RULE = re.compile(r"^\|?\s*:?-{3,}:?\s*(\|\s*:?-{3,}:?\s*)*\|?\s*$")
INLINE = re.compile(r"`([^`]+)`|\*\*(.+?)\*\*|\*(.+?)\*|\[([^\]]+)\]\(([^)\s]+)\)")
ENTITY = re.compile(r"&amp;(lt|gt|amp|quot|#\d+);")


def escape(text):
    """Text as HTML, keeping the character entities the source spells out."""
    return ENTITY.sub(r"&\1;", html.escape(text, quote=False))


def slug(text):
    """The anchor a Markdown viewer gives a heading with this text."""
    plain = re.sub(r"[`*]|\[([^\]]*)\]\([^)]*\)", r"\1", text).lower()
    plain = re.sub(r"[^\w\- ]", "", plain)
    return plain.replace(" ", "-")


class Renderer:
    def __init__(self):
        self.out = []
        self.ids = {}
        self.links = []

    def inline(self, text):
        pieces = []
        position = 0
        for match in INLINE.finditer(text):
            pieces.append(escape(text[position:match.start()]))
            code, bold, italic, label, target = match.groups()
            if code is not None:
                pieces.append("<code>%s</code>" % html.escape(code, quote=False))
            elif bold is not None:
                pieces.append("<strong>%s</strong>" % self.inline(bold))
            elif italic is not None:
                pieces.append("<em>%s</em>" % self.inline(italic))
            else:
                self.links.append(target)
                pieces.append('<a href="%s">%s</a>' % (html.escape(target), self.inline(label)))
            position = match.end()
        pieces.append(escape(text[position:]))
        return "".join(pieces)

    def heading(self, level, text):
        anchor = slug(text)
        count = self.ids.get(anchor, 0)
        self.ids[anchor] = count + 1
        if count:
            anchor = "%s-%d" % (anchor, count)
        self.out.append('<h%d id="%s">%s</h%d>' % (level, anchor, self.inline(text), level))
        return anchor

    def table(self, rows):
        def cells(row):
            return [cell.strip() for cell in row.strip().strip("|").split("|")]

        self.out.append("<table>")
        self.out.append("<tr>%s</tr>" % "".join("<th>%s</th>" % self.inline(c) for c in cells(rows[0])))
        for row in rows[2:]:
            self.out.append("<tr>%s</tr>" % "".join("<td>%s</td>" % self.inline(c) for c in cells(row)))
        self.out.append("</table>")

    def items(self, lines):
        """A list, its items' continuation lines and one nested level."""
        ordered = NUMBERED.match(lines[0]) is not None
        tag = "ol" if ordered else "ul"
        base = len(lines[0]) - len(lines[0].lstrip())
        entries = []
        for line in lines:
            indent = len(line) - len(line.lstrip())
            marker = (NUMBERED if ordered else BULLET).match(line)
            if marker and indent == base:
                entries.append([marker.group(2), []])
            elif (BULLET.match(line) or NUMBERED.match(line)) and indent > base:
                entries[-1][1].append(line)
            elif entries[-1][1]:
                entries[-1][1][-1] += " " + line.strip()
            else:
                entries[-1][0] += " " + line.strip()
        self.out.append("<%s>" % tag)
        for text, nested in entries:
            self.out.append("<li>%s" % self.inline(text))
            if nested:
                self.items(nested)
            self.out.append("</li>")
        self.out.append("</%s>" % tag)

    def render(self, source):
        lines = source.splitlines()
        title = None
        i = 0
        while i < len(lines):
            line = lines[i]
            if not line.strip():
                i += 1
                continue
            if FENCE.match(line):
                end = i + 1
                while end < len(lines) and not FENCE.match(lines[end]):
                    end += 1
                code = "\n".join(lines[i + 1:end])
                self.out.append("<pre><code>%s</code></pre>" % html.escape(code, quote=False))
                i = end + 1
                continue
            heading = HEADING.match(line)
            if heading:
                level = len(heading.group(1))
                self.heading(level, heading.group(2).strip())
                if title is None and level == 1:
                    title = heading.group(2).strip()
                i += 1
                continue
            if line.startswith("|") and i + 1 < len(lines) and TABLE_RULE.match(lines[i + 1]):
                end = i
                while end < len(lines) and lines[end].startswith("|"):
                    end += 1
                self.table(lines[i:end])
                i = end
                continue
            if BULLET.match(line) or NUMBERED.match(line):
                end = i
                while end < len(lines) and lines[end].strip() and not HEADING.match(lines[end]):
                    end += 1
                self.items(lines[i:end])
                i = end
                continue
            end = i + 1
            while end < len(lines) and lines[end].strip() and not (
                    FENCE.match(lines[end]) or HEADING.match(lines[end]) or lines[end].startswith("|")):
                end += 1
            self.out.append("<p>%s</p>" % self.inline(" ".join(l.strip() for l in lines[i:end])))
            i = end
        return title or "Velmora"


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__.strip().splitlines()[-1])
    with open(sys.argv[1], encoding="utf-8") as source:
        text = source.read()
    renderer = Renderer()
    title = renderer.render(text)
    anchors = set()
    for anchor, count in renderer.ids.items():
        anchors.add(anchor)
        anchors.update("%s-%d" % (anchor, n) for n in range(1, count))
    broken = [link for link in renderer.links if link.startswith("#") and link[1:] not in anchors]
    if broken:
        sys.exit("md2html: links to missing headings: " + ", ".join(broken))
    page = ('<!DOCTYPE html>\n<html lang="en">\n<head>\n<meta charset="utf-8">\n'
            "<title>%s</title>\n<style>%s</style>\n</head>\n<body>\n%s\n</body>\n</html>\n"
            % (html.escape(title), STYLE, "\n".join(renderer.out)))
    with open(sys.argv[2], "w", encoding="utf-8", newline="\r\n") as output:
        output.write(page)


if __name__ == "__main__":
    main()
