#!/usr/bin/env python3
# Writes the light theme from the dark one: res/skins/theme_light.qss from theme.qss, colour by
# colour, and the glyphs of res/skins/light/ from those of res/skins/. Run by render-skins.sh.
import re
m = {
'#15181d':'#eef1f5','#1d2127':'#f8fafc','#22272e':'#ffffff','#2a3038':'#eef2f6','#323a44':'#e4e9ef',
'#20252c':'#dde3ea','#333a44':'#dfe4ea','#3a424d':'#cdd4dd','#46505d':'#b9c2ce','#4d5866':'#a9b3c0',
'#56616f':'#98a3b1','#2c323b':'#e3e8ee','#e6eaf0':'#1b2230','#f3f6fa':'#0f141c','#ffffff':'#0f141c',
'#8b95a4':'#5d6878','#5a6370':'#a0a9b6','#c9d0da':'#3a4455','#d6dce4':'#2a3240','#2ec4dc':'#0b8ca2',
'#5ad3e6':'#0a7488','#1f9fb4':'#086a7b','#0d1a1e':'#ffffff','#173b43':'#d8f0f4','#223036':'#e6f1f3',
'#b6e6ee':'#2f6570','#e5484d':'#d63b41','#b8383c':'#a92d32','#ff9a9d':'#b3262c','#3a1d20':'#fde8e9',
'#2a2226':'#fdf0f0','#1a1e24':'#ffffff','#1a1d22':'#eef1f5',
'#1b1f25':'#f3f5f8','#2a1d20':'#fdeeee','#f5a524':'#a86400',
}
s = open('res/skins/theme.qss').read()
s = re.sub(r'#[0-9a-fA-F]{6}', lambda x: m[x.group(0).lower()], s)
# The slider's handle stays white with an accent ring, as the dark theme's light handle does.
s = s.replace('''    border-radius: 9px;
    background-color: #1b2230;
    border: 1px solid #0b8ca2;''','''    border-radius: 9px;
    background-color: #ffffff;
    border: 1px solid #0b8ca2;''')
s = s.replace('''QSlider::handle:horizontal:hover {
    background-color: #0f141c;''','''QSlider::handle:horizontal:hover {
    background-color: #ffffff;''')
head = s.index('/* ---- Base')
s = '''/*
 * talvore light theme: the dark theme's layout and shapes on light surfaces, one accent colour
 * (a deeper cyan #0B8CA2, legible on white) and white text on it.
 *
 *   background #eef1f5   surface #f8fafc   card #ffffff   raised #eef2f6
 *   border #dfe4ea       border-strong #b9c2ce
 *   text #1b2230         text-muted #5d6878   text-disabled #a0a9b6
 *   accent #0b8ca2       accent-hover #0a7488 accent-pressed #086a7b   on-accent #ffffff
 *   danger #d63b41
 *
 * Images are named "skins:<file>"; the program puts the "light" folder before the skin folder
 * on the "skins" search path, so the dark-on-light glyphs there stand in for the others.
 * Made from theme.qss by scripts/render-skins.sh; edit that sheet and run it again.
 */

''' + s[head:]
open('res/skins/theme_light.qss','w').write(s)

# The glyphs drawn in the text colour, again in the light theme's colours, in skins/light/.
import os
glyphs = {'#e6eaf0': '#1b2230', '#2ec4dc': '#0b8ca2', '#f5a524': '#c77c00', '#0d1a1e': '#ffffff',
          '#e5484d': '#d63b41'}
os.makedirs('res/skins/light', exist_ok=True)
for name in sorted(os.listdir('res/skins')):
    if not name.endswith('.svg') or name in ('icon.svg', 'switch_knob.svg', 'no_function.svg',
                                             'charging_bolt.svg'):
        continue
    svg = open('res/skins/' + name).read()
    light = re.sub(r'#[0-9a-fA-F]{6}', lambda x: glyphs.get(x.group(0).lower(), x.group(0)), svg)
    open('res/skins/light/' + name, 'w').write(light)
