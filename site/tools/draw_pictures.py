#!/usr/bin/python3
"""Draws the pictures the board pages name, small and in the board's colours.

Run once by hand (needs Debian's python3-pil and fonts-nanum); the pictures it
writes are kept in the repository, so serving the site needs neither.
"""
from pathlib import Path
from PIL import Image, ImageDraw, ImageFont

HERE = Path(__file__).resolve().parent.parent / "www"
BOARD = HERE / "board" / "image"
FRONT = HERE / "image" / "main-b"
FONT = "/usr/share/fonts/truetype/nanum/NanumGothicBold.ttf"

ORANGE = (255, 178, 0)
CREAM = (254, 222, 145)
INK = (60, 60, 60)
GREY = (170, 170, 170)


def font(size):
    return ImageFont.truetype(FONT, size)


def save_gif(img, name):
    img.convert("P", palette=Image.ADAPTIVE, colors=32).save(BOARD / name, optimize=True)


def button(name, text, width=60, height=20, active=True, arrow=None):
    img = Image.new("RGB", (width, height), (255, 255, 255))
    d = ImageDraw.Draw(img)
    fill = CREAM if active else (235, 235, 235)
    edge = ORANGE if active else GREY
    d.rounded_rectangle([0, 0, width - 1, height - 1], radius=4, fill=fill, outline=edge)
    colour = INK if active else GREY
    f = font(11)
    label = text
    if arrow == "left":
        label = "◀ " + text
    elif arrow == "right":
        label = text + " ▶"
    box = d.textbbox((0, 0), label, font=f)
    x = (width - (box[2] - box[0])) // 2 - box[0]
    y = (height - (box[3] - box[1])) // 2 - box[1]
    d.text((x, y), label, font=f, fill=colour)
    save_gif(img, name)


def main():
    BOARD.mkdir(parents=True, exist_ok=True)
    FRONT.mkdir(parents=True, exist_ok=True)

    # A 1-pixel dotted rule: a black dot and a gap, repeated by the browser.
    dot = Image.new("RGB", (2, 1), (255, 255, 255))
    dot.putpixel((0, 0), (0, 0, 0))
    save_gif(dot, "p_blackdot.gif")

    bullet = Image.new("RGB", (10, 10), (255, 255, 255))
    ImageDraw.Draw(bullet).ellipse([1, 1, 8, 8], fill=ORANGE, outline=(200, 120, 0))
    save_gif(bullet, "bullet.gif")

    # A small computer screen beside the view pages' headings.
    comp = Image.new("RGB", (50, 43), (231, 233, 173))
    d = ImageDraw.Draw(comp)
    d.rounded_rectangle([4, 3, 45, 30], radius=3, fill=(80, 90, 110), outline=INK)
    d.rectangle([8, 7, 41, 26], fill=(170, 220, 255))
    d.text((11, 10), "공지", font=font(11), fill=(20, 40, 90))
    d.rectangle([20, 31, 29, 35], fill=INK)
    d.rectangle([12, 36, 37, 39], fill=INK)
    save_gif(comp, "computting.gif")

    pen = Image.new("RGB", (22, 17), (255, 255, 255))
    d = ImageDraw.Draw(pen)
    d.rectangle([2, 2, 15, 15], fill=(255, 255, 255), outline=INK)
    for y in (6, 9, 12):
        d.line([4, y, 13, y], fill=GREY)
    d.line([10, 13, 20, 3], fill=ORANGE, width=3)
    save_gif(pen, "im_write.gif")

    button("close.gif", "닫 기", 89, 25)
    button("write.gif", "글쓰기", 60, 20)
    button("prev.gif", "이전", 60, 20, arrow="left")
    button("next.gif", "다음", 60, 20, arrow="right")
    button("board_modify.gif", "수정", 50, 20)
    button("board_delete.gif", "삭제", 50, 20)
    button("list2.gif", "목록", 50, 20)
    button("back1.gif", "이전", 60, 20, arrow="left")
    button("back2.gif", "이전", 60, 20, active=False, arrow="left")
    button("next1.gif", "다음", 60, 20, arrow="right")
    button("next2.gif", "다음", 60, 20, active=False, arrow="right")

    # The front page's box background: a soft vertical gradient.
    bg = Image.new("RGB", (247, 180), (255, 255, 255))
    d = ImageDraw.Draw(bg)
    for y in range(180):
        t = y / 179
        d.line([0, y, 246, y], fill=(255, int(246 - 20 * t), int(225 - 60 * t)))
    bg.save(FRONT / "main-b_36.jpg", quality=80, optimize=True)


if __name__ == "__main__":
    main()
