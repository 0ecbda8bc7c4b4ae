#include "saver/Credits.h"

namespace zv::saver {

const std::array<CreditPage, 6>& Title2CreditPages() {
    // Pages 0 and 1 stand at the right edge of the scene: lines of at most 20 characters.
    static const std::array<CreditPage, 6> kPages = {{
        {"ZORVATH II", "Screen saver", "by the ZV6 project", "", ""},
        {"Game design", "  the ZV6 project", "Programming", "  the ZV6 project", ""},
        {"Unit graphics", "  the ZV6 project,", "  drawn in SVG", "  and pixel art", ""},
        {"Map graphics", "  the ZV6 project,", "  hexes drawn in SVG", "Sound and music",
         "  synthesised from text"},
        {"Data and balance", "  the ZV6 project", "Testing", "  the ZV6 project", ""},
        {"Produced by", "  the ZV6 project", "Every picture and sound", "  built from text sources",
         "Thank you for playing"},
    }};
    return kPages;
}

const std::array<const char*, kTitle5StaffLines>& Title5StaffLines() {
    static const std::array<const char*, kTitle5StaffLines> kLines = {
        "PRODUCED BY  THE ZV6 PROJECT",
        "GAME DESIGN  THE ZV6 PROJECT",
        "PROGRAM  THE ZV6 PROJECT",
        "GRAPHICS  THE ZV6 PROJECT - SVG AND PIXEL ART",
        "MUSIC  THE ZV6 PROJECT - TEXT SCORES, SYNTHESISED",
        "DATA AND BALANCE  THE ZV6 PROJECT",
        "TEST PLAY  THE ZV6 PROJECT",
        "THANK YOU FOR PLAYING",
    };
    return kLines;
}

}  // namespace zv::saver
