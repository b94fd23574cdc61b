#!/usr/bin/env python3
"""Every relative link of the project's Markdown pages resolves.

Usage: relative_links_test.py SOURCE_ROOT
For each `](target)` in README.md, doc/*.md, examples/README.md and
fuzz/README.md: the file or folder named by target exists, taken against the
page's folder; a `#anchor` (alone or after a .md target) names a heading of
that page, spelt as the hosting site spells heading anchors.
"""
import re
import sys
from pathlib import Path

LINK = re.compile(r"\]\(([^)\s]+)\)")
FENCE = re.compile(r"^\s*```")


def anchors(page: Path) -> set:
    found, in_code = set(), False
    for line in page.read_text(encoding="utf-8").splitlines():
        if FENCE.match(line):
            in_code = not in_code
            continue
        if in_code or not line.startswith("#"):
            continue
        text = line.lstrip("#").strip().lower()
        text = re.sub(r"[^\w\- ]", "", text)  # keeps letters, digits, _ and -
        found.add(text.replace(" ", "-"))
    return found


def links(page: Path):
    in_code = False
    for number, line in enumerate(page.read_text(encoding="utf-8").splitlines(), 1):
        if FENCE.match(line):
            in_code = not in_code
            continue
        if not in_code:
            for target in LINK.findall(line):
                yield number, target


def main() -> int:
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    root = Path(sys.argv[1]).resolve()
    pages = [root / "README.md", *sorted((root / "doc").glob("*.md")),
             root / "examples" / "README.md", root / "fuzz" / "README.md"]
    pages = [p for p in pages if p.is_file()]
    if len(pages) < 2:
        print(f"no pages found under {root}")
        return 1
    broken, checked = [], 0
    for page in pages:
        for number, target in links(page):
            if re.match(r"^[a-z][a-z0-9+.-]*:", target):  # https:, mailto:
                continue
            checked += 1
            path, _, anchor = target.partition("#")
            where = (page.parent / path).resolve() if path else page
            name = f"{page.relative_to(root)}:{number}: {target}"
            if not where.exists():
                broken.append(f"{name}: no such file or folder")
            elif root not in where.parents and where != root:
                broken.append(f"{name}: outside the source tree")
            elif anchor and where.suffix == ".md" and anchor not in anchors(where):
                broken.append(f"{name}: no heading with this anchor")
    for line in broken:
        print(line)
    print(f"{checked} relative links in {len(pages)} pages, {len(broken)} broken")
    return 1 if broken else 0


if __name__ == "__main__":
    sys.exit(main())
