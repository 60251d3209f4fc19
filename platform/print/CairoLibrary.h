// cairo, which writes the printed pages as PDF, loaded when the first print
// job starts: a process that prints nothing (a conversion, a form on the
// screen) maps neither cairo nor the X and pixel libraries it brings along.
// The print jobs reach cairo's functions through one table, each slot named
// after its function without the "cairo_" prefix.
#pragma once

#include <cairo-ft.h>
#include <cairo-pdf.h>
#include <cairo.h>

#define QV_CAIRO_FUNCTIONS(X)                                                                        \
  X(arc) X(clip) X(close_path) X(create) X(destroy) X(fill) X(fill_preserve) X(font_face_destroy)    \
  X(font_face_set_user_data) X(ft_font_face_create_for_ft_face) X(ft_font_face_set_synthesize)       \
  X(get_source) X(identity_matrix) X(image_surface_create) X(image_surface_get_data)                 \
  X(image_surface_get_stride) X(line_to) X(matrix_init) X(move_to) X(new_path)                       \
  X(pattern_set_filter) X(pdf_surface_create_for_stream) X(pdf_surface_set_metadata) X(rectangle)   \
  X(restore)                                                                                         \
  X(save) X(scale) X(set_antialias) X(set_fill_rule) X(set_font_face) X(set_font_matrix)             \
  X(set_line_cap) X(set_line_join) X(set_line_width) X(set_source_rgb) X(set_source_surface)         \
  X(show_page) X(show_text_glyphs) X(stroke) X(surface_destroy) X(surface_finish) X(surface_flush)   \
  X(surface_mark_dirty) X(surface_status) X(translate)

struct CairoFunctions {
#define QV_CAIRO_SLOT(name) decltype(&::cairo_##name) name = nullptr;
  QV_CAIRO_FUNCTIONS(QV_CAIRO_SLOT)
#undef QV_CAIRO_SLOT
};

// The table, cairo loaded by the first call; null when the library or one
// of its functions cannot be found, which a print job reports as its start
// failing.
const CairoFunctions* LoadCairo();
