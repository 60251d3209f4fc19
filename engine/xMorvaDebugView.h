// The debug view of a text flow, drawn in place of the document for the
// engine's developers: the raw element stream item by item, or (with the
// shift key down) the line table composed over it.
#pragma once

class VPort;
class xMorvaEngine;
class xMorvaLines;

// The view the document draws while its debug flag is set: the line table
// with the shift key down, else the element dump.
void DrawDebugView(VPort& port, xMorvaEngine& engine, const xMorvaLines& lines);
// One row per line record, 20 pixels apart from y 20: index, positions,
// paragraph end offset, bytes, height and ascent.
void DrawLineTableDump(VPort& port, const xMorvaLines& lines);
// The stream in "Courier" 10 from (5, 25): units as characters (13 as
// "<CR>" and a new row), records as name and value, elements by their
// word, with the marks "<" and ">" of the selection's paragraph and "["
// and "]" of the selection.
void DrawElementDump(VPort& port, xMorvaEngine& engine);
