// Every benchmark file registers its benchmarks through one function, called once from main, so
// that the names are built in one place per concern and nothing depends on static start-up order.
#pragma once

void bench_register_raster();
// Called by bench_register_raster: the sweeps of cost against work.
void bench_register_sweeps();
void bench_register_surface();
void bench_register_composite();
void bench_register_filters();
void bench_register_frame();
void bench_register_peers_memory();
void bench_register_peers_scanline();
void bench_register_peers_sdl();
void bench_register_peers_pixman();
