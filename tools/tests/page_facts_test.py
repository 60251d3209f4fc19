#!/usr/bin/env python3
"""The page tool's reading of LibreOffice's flat XML: styles resolved along
their parents, the first span's look, tab stops from the page's margin,
comments left out."""
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
import page_facts  # noqa: E402

FLAT = """<?xml version="1.0"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
 xmlns:config="urn:oasis:names:tc:opendocument:xmlns:config:1.0">
 <office:settings><config:config-item config:name="TabsRelativeToIndent">true</config:config-item></office:settings>
 <office:font-face-decls>
  <style:font-face style:name="Serif" svg:font-family="'Liberation Serif', 'Times New Roman'"/>
  <style:font-face style:name="Sans" svg:font-family="'Liberation Sans'"/>
 </office:font-face-decls>
 <office:styles>
  <style:default-style style:family="paragraph">
   <style:text-properties style:font-name="Serif" fo:font-size="12pt"/>
  </style:default-style>
  <style:style style:name="Heading" style:family="paragraph">
   <style:paragraph-properties fo:margin-top="0.5in" fo:text-align="center"/>
   <style:text-properties style:font-name="Sans" fo:font-size="18pt" fo:font-weight="bold"/>
  </style:style>
 </office:styles>
 <office:automatic-styles>
  <style:style style:name="P1" style:family="paragraph" style:parent-style-name="Heading">
   <style:paragraph-properties fo:margin-left="1in" fo:text-indent="-0.25in" fo:line-height="150%">
    <style:tab-stops><style:tab-stop style:position="1in" style:type="right" style:leader-style="dotted" style:leader-text="."/></style:tab-stops>
   </style:paragraph-properties>
  </style:style>
  <style:style style:name="T1" style:family="text">
   <style:text-properties fo:font-style="italic" fo:color="#c00000" fo:background-color="#ffff00"/>
  </style:style>
 </office:automatic-styles>
 <office:body><office:text>
  <text:h text:style-name="P1"><office:annotation><text:p>a comment</text:p></office:annotation><text:span text:style-name="T1">Look</text:span><text:tab/>ahead</text:h>
  <text:p text:style-name="Standard">  </text:p>
  <text:p>Plain    text</text:p>
 </office:text></office:body>
</office:document>
"""


class FlatXmlFacts(unittest.TestCase):
    def facts(self):
        with tempfile.NamedTemporaryFile("w", suffix=".fodt", delete=False) as f:
            f.write(FLAT)
        try:
            lines = page_facts.fodt_facts(f.name).splitlines()
        finally:
            os.unlink(f.name)
        return [dict(field.split("=", 1) for field in line.split("\t")[1:]) for line in lines]

    def test_styles_resolve_along_their_parents_and_spans(self):
        first, second = self.facts()
        self.assertEqual(first["text"], "Look ahead")
        self.assertEqual((first["align"], first["before"], first["left"], first["first"]),
                         ("centre", "720", "1440", "-360"))
        self.assertEqual(first["line"], "150")
        # Tab stops from the page's margin: the indent plus the position.
        self.assertEqual(first["tabs"], "2880:r:.")
        self.assertEqual((first["font"], first["size"], first["bold"]), ("Liberation Sans", "18", "1"))
        self.assertEqual((first["italic"], first["colour"], first["highlight"]), ("1", "C00000", "FFFF00"))
        # Empty paragraphs and comments count for nothing.
        self.assertEqual(second["text"], "Plain text")
        self.assertEqual((second["font"], second["size"], second["bold"], second["tabs"]),
                         ("Liberation Serif", "12", "0", "none"))


if __name__ == "__main__":
    unittest.main()
