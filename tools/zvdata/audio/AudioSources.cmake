# The sound and music sources (under data/) and the files the build makes of them (in the
# program directory). A new effect or piece is listed in both.
set(ZVDATA_AUDIO_SOURCES
    sound/alart.txt
    sound/chakudan.txt
    sound/message.txt
    sound/message1.txt
    sound/zenmetsu.txt
    music/BGM01.txt
    music/Brelk_op.txt
    music/BGM02.txt
    music/BGM03.txt
    music/BGM04.txt
    music/BGM05.txt
    music/BGM06.txt
    music/BGM07.txt
    music/BGM08.txt
    music/BGM09.txt
    music/BGM10.txt
    music/Hensei.txt
    music/Op.txt
    music/lose.txt
    music/title.txt
    music/win.txt
)
set(ZVDATA_AUDIO_FILES
    alart.wav chakudan.wav message.wav message1.wav zenmetsu.wav
    BGM01.MID BGM02.MID BGM03.MID BGM04.MID BGM05.MID
    BGM06.MID BGM07.MID BGM08.MID BGM09.MID BGM10.MID
    Hensei.mid Op.mid lose.mid win.mid Zv6open/title.mid
    Zvscenes/RCDATA154.mid
)
