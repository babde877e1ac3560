#!/usr/bin/env bash
# Regenerates the demo package's pictures: the five page backgrounds (800 x 600 JPEG), the
# slide show pictures and the window icon. The generated files are committed; the build
# does not need ImageMagick.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
support=$root/demo/package/support
slides=$root/demo/package/ZentaImages
convert=/usr/bin/convert
font=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
mkdir -p "$support" "$slides"

# A night-sky gradient with a soft glow and a few stars; the pages draw over its lower part.
sky() { # out top bottom glow
  $convert -size 800x600 "gradient:$2-$3" \
    \( -size 800x600 xc:none -fill "$4" -draw "circle 620,170 620,420" -blur 0x90 \) -composite \
    -fill 'rgba(255,255,255,0.75)' \
    -draw "point 80,60 point 143,121 point 260,40 point 333,98 point 470,30 point 515,140 point 700,52 point 760,118" \
    -draw "point 40,210 point 190,250 point 390,190 point 560,260 point 735,300 point 110,330" \
    "$1"
}

text() { # in out size colour x y gravity text
  $convert "$1" -font "$font" -pointsize "$3" -fill "$4" -gravity "$7" -annotate "+$5+$6" "$8" "$2"
}

band() { # in out top: a darker strip behind the controls at the bottom of a page
  $convert "$1" -fill 'rgba(0,10,30,0.55)' -draw "rectangle 0,$3 800,600" "$2"
}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Welcome: title and greeting at the top; the drive box, its label and the button below.
sky "$tmp/w.png" '#0b1f4a' '#06101f' 'rgba(80,140,255,0.45)'
text "$tmp/w.png" "$tmp/w.png" 44 white 60 70 NorthWest '星岚操作系统'
text "$tmp/w.png" "$tmp/w.png" 24 '#9cc4ff' 64 135 NorthWest 'Zenta LUM'
text "$tmp/w.png" "$tmp/w.png" 20 '#dfe8f5' 64 215 NorthWest '欢迎安装星岚操作系统。它将装在您选择的硬盘分区上，
与现有的 Windows 并存，不会改动其中的文件。
安装完成后，开机时可在启动菜单中选择进入哪个系统。'
band "$tmp/w.png" "$tmp/w.png" 480
text "$tmp/w.png" "$tmp/w.png" 15 '#9fb3cc' 500 488 NorthWest '请选择安装位置，至少需要 4 GB 空闲空间'
$convert "$tmp/w.png" -quality 90 "$support/welcome.jpg"

# Remove: the page draws no text of its own, so the explanation is part of the picture.
sky "$tmp/r.png" '#3a1d0b' '#140904' 'rgba(255,150,60,0.40)'
text "$tmp/r.png" "$tmp/r.png" 40 white 60 70 NorthWest '已安装星岚操作系统'
text "$tmp/r.png" "$tmp/r.png" 21 '#ffe3c7' 64 160 NorthWest '本机已经装有星岚操作系统 Zenta LUM。
重新安装之前，需要先卸载现有的安装：
    · 从启动菜单中删除“星岚系统”一项
    · 删除安装盘上的 \\zentaos 目录和启动文件
您在 Windows 中的文件和程序不受影响。'
text "$tmp/r.png" "$tmp/r.png" 21 '#ffd27a' 64 390 NorthWest '点击右下角的按钮卸载，然后重新选择安装位置。
不想卸载时，直接关闭本窗口即可。'
band "$tmp/r.png" "$tmp/r.png" 500
$convert "$tmp/r.png" -quality 90 "$support/remove.jpg"

# Notice: the page writes its notice and the download link into the upper part.
sky "$tmp/n.png" '#0d2b33' '#051217' 'rgba(60,200,220,0.30)'
band "$tmp/n.png" "$tmp/n.png" 500
$convert "$tmp/n.png" -quality 90 "$support/notice.jpg"

# Progress: the slide show covers the middle; the bar and two status lines sit below it.
sky "$tmp/p.png" '#101a3c' '#05070f' 'rgba(90,120,255,0.35)'
band "$tmp/p.png" "$tmp/p.png" 490
text "$tmp/p.png" "$tmp/p.png" 13 '#7f93b5' 0 8 South '正在安装，请稍候……'
$convert "$tmp/p.png" -quality 90 "$support/progress.jpg"

# Complete: a light page, since the page writes its restart hint in blue over the lower
# middle; the two restart choices sit at the bottom left and right.
$convert -size 800x600 'gradient:#f4fbf7-#cdeedd' \
  \( -size 800x600 xc:none -fill 'rgba(60,200,140,0.25)' -draw "circle 660,120 660,300" -blur 0x60 \) -composite \
  "$tmp/c.png"
text "$tmp/c.png" "$tmp/c.png" 46 '#0f5132' 0 80 North '安装完成'
text "$tmp/c.png" "$tmp/c.png" 22 '#2d4a3e' 0 170 North '星岚操作系统已经装好。
重启电脑后，在启动菜单中选择“星岚系统(boot zenta LUM)”即可进入。'
$convert "$tmp/c.png" -fill 'rgba(15,81,50,0.12)' -draw "rectangle 0,500 800,600" "$tmp/c.png"
$convert "$tmp/c.png" -quality 90 "$support/complete.jpg"

# Slides: one feature each.
slide() { # out top bottom title line
  $convert -size 800x600 "gradient:$2-$3" \
    -fill 'rgba(255,255,255,0.10)' -draw "circle 650,470 650,700" -draw "circle 120,90 120,210" \
    -font "$font" -fill white -pointsize 54 -gravity NorthWest -annotate +70+150 "$4" \
    -fill 'rgba(255,255,255,0.85)' -pointsize 26 -annotate +74+260 "$5" \
    -quality 88 "$1"
}
slide "$slides/01.jpg" '#1d4ed8' '#0b1c4f' '开机即用' '几秒钟就能进入桌面，随时切回 Windows。'
slide "$slides/02.jpg" '#0f766e' '#042f2b' '清爽桌面' '简洁的界面，常用功能一步可达。'
slide "$slides/03.jpg" '#9a3412' '#3b1206' '安全可靠' '独立的系统分区，互不干扰。'
slide "$slides/04.jpg" '#6d28d9' '#24094d' '应用丰富' '办公、影音、上网，装好就能用。'

# Window icon: a Z on a round badge, in the sizes Windows asks for.
$convert -size 256x256 xc:none -fill '#1d4ed8' -draw 'circle 128,128 128,6' \
  -fill '#ffd23f' -draw 'circle 190,70 190,52' \
  -font DejaVu-Sans-Bold -fill white -pointsize 170 -gravity center -annotate +0+8 'Z' \
  -define icon:auto-resize=48,32,16 "$support/zenta.ico"
