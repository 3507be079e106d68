# The cost sweeps of luma_bench as one PNG, drawn by scripts/bench:
#   gnuplot -e "polygons='FILE'; layers='FILE'; machine='TEXT'; out='PNG'" bench/sweep.gnuplot
# Each data file holds "count milliseconds" rows, the median CPU time of one frame's work. The
# dashed lines are linear growth from the 1,000-polygon and the one-layer point.
set terminal pngcairo size 960,400 font "DejaVu Sans,10"
set output out
set multiplot layout 1,2 title "Frame cost against work (".machine.")"
set grid
set key top left

set title "Small gouraud triangles through the ordering table"
set logscale xy
set xlabel "triangles"
set ylabel "CPU time per frame (ms)"
set format x "%.0s%c"
stats polygons using (($1 == 1000) ? $2 : NaN) name "P" nooutput
plot polygons using 1:2 with linespoints pointtype 7 title "measured", \
     P_max * x / 1000 with lines dashtype 2 title "linear from 1,000"

unset logscale
set format x "%g"
set title "Full-screen additive gouraud layers"
set xlabel "layers"
set xrange [0:17]
set yrange [0:*]
stats layers using (($1 == 1) ? $2 : NaN) name "L" nooutput
plot layers using 1:2 with linespoints pointtype 7 title "measured", \
     L_max * x with lines dashtype 2 title "linear from one layer"
unset multiplot
