// The showcase's two message windows: a status line across the top (the filter that runs, the
// objects left) and the controls across the bottom.
#pragma once

#include <cstdint>

#include "showcase/showcase.h"

// Lines are 32 pixels high; each window holds two.
constexpr int32_t PANEL_HEIGHT = 64;

// Markup: "\c" centres a line, "\i[r,g,b]" colours what follows, "\n" ends a line.
constexpr char PANEL_CONTROLS[] = "\\c\\i[160,200,255]Click: hit   R: reset\\n"
                                  "\\c0-8: filter   F1-F3: view";
// The status line, printf-style: the filter's code and name, the objects left and in all.
constexpr char PANEL_STATUS_FORMAT[] =
    "\\c\\i[255,255,96]Filter %d: %s\\n\\c\\i[255,255,255]Objects left: %d of %d";

// The names the status line gives filter codes 0 to 8.
extern const char* const panel_filter_names[FILTER_CODES];

// Creates both windows and writes the controls; 0, or -1 when no window is free.
int32_t panel_init(Showcase& show);
// Rewrites the status line when the filter or the number of objects left has changed.
void panel_update(Showcase& show);
