# The demo intro's font, assets/font.tga: DejaVu Sans Bold in a warm gradient with a thin
# outline and a drop shadow, in 32-pixel cells. The font comes first, then the options;
# the output file goes between them. Everything that makes the font uses this list.
set(DEMO_FONT_ARGS /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf --size 22 --gradient FFFFD0:FF4000
                   --outline 1 --shadow 2,2)
list(GET DEMO_FONT_ARGS 0 DEMO_FONT)
list(SUBLIST DEMO_FONT_ARGS 1 -1 DEMO_FONT_OPTIONS)
