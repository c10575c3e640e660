#!/bin/sh
# Redraws the two banner pictures (ImageMagick). They are committed; run this
# only to change them.
set -e
cd "$(dirname "$0")"
convert -size 480x83 gradient:'#1d3b6e'-'#5b8fd0' \
  \( -size 480x83 gradient:none-'#ffffff30' -rotate 90 -resize 480x83\! \) -compose over -composite \
  -font DejaVu-Sans-Bold -pointsize 40 -fill white -gravity west -annotate +24+0 'Tabulon' \
  -font DejaVu-Sans -pointsize 13 -fill '#dce8f8' -gravity southeast -annotate +14+10 'database client' \
  -quality 88 -sampling-factor 4:2:0 -strip about-banner.jpg
convert -size 420x70 gradient:'#1d3b6e'-'#5b8fd0' \
  -font DejaVu-Sans-Bold -pointsize 32 -fill white -gravity west -annotate +20+0 'Tabulon' \
  -font DejaVu-Sans -pointsize 12 -fill '#dce8f8' -gravity southeast -annotate +12+8 'Connect to a database' \
  -quality 88 -strip connect-banner.jpg
