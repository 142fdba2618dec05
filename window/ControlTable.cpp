#include "window/ControlDesign.h"

#include <array>

namespace orvanto {

namespace {

using K = ControlDesign::Kind;
using F = ControlDesign::Font;
constexpr K Label = K::Label, Button = K::Button, Option = K::Option, Check = K::Check,
            Combo = K::Combo, Frame = K::Frame, Line = K::Line, Picture = K::Picture,
            Image = K::Image, Player = K::Player;
constexpr F Def = F::Default, MsSerif = F::MsSerif675, Courier = F::CourierNew24,
            Times = F::TimesNewRoman2025;
constexpr int NX = ControlDesign::NoIndex;
constexpr int NC = ControlDesign::NoColour;
constexpr unsigned Hid = ControlDesign::Hidden, Tr = ControlDesign::Transparent,
                   B = ControlDesign::Bold, I = ControlDesign::Italic,
                   Hand = ControlDesign::HandPointer, Ctr = ControlDesign::Centred,
                   Sel = ControlDesign::Selected;
constexpr int White = 0xFFFFFF, Cyan = 0x80FFFF, Green = 0x00FF00, Navy = 0x0000C0, Grey = 0x808080,
              Silver = 0xC0C0C0;
// Text over a background of the layout's own takes a colour of its own too, black where the
// design gives none, so that a dark desktop palette cannot turn it white.
constexpr int Black = 0x000000;

// Lines are 15 twips (one pixel) thick; their Width is their length.
// clang-format off
constexpr std::array kLayout{
    // name, index, kind, container, left, top, width, height, caption, tooltip,
    //   text colour, background, font, flags

    // The alarm page, beneath the station panel.
    ControlDesign{"Line2", NX, Line, "", 5280, 480, 3840, 15, "", "", NC, Grey, Def, 0},
    ControlDesign{"Label6", NX, Label, "", 5640, 480, 3255, 255, "Imerominia", "", Black, NC, Def, Ctr | Tr},
    ControlDesign{"Label7", NX, Label, "", 6120, 720, 2295, 495, "Ora", "", Silver, NC, Courier, B | Ctr | Tr},
    ControlDesign{"Label26", NX, Label, "", 5280, 1200, 3855, 375, "Klick edo Gia Email: orvanto@example.org", "", 0x000080, Green, Def, 0},
    ControlDesign{"Line3", NX, Line, "", 5280, 1560, 3840, 15, "", "", NC, Grey, Def, 0},
    ControlDesign{"Label10", NX, Label, "", 6120, 1560, 2415, 255, "Alarm                   Kestrin", "", Navy, NC, Def, B | Tr},
    ControlDesign{"Combo1", NX, Combo, "", 6120, 1800, 615, 315, "0", "ORA", Black, 0x80FF80, Def, Hid},
    ControlDesign{"Combo2", NX, Combo, "", 6840, 1800, 615, 315, "0", "Lepta", Black, 0x80FF80, Def, Hid},
    ControlDesign{"Check1", NX, Check, "", 7680, 2040, 255, 255, "Check1", "", Black, Cyan, Def, Hid},
    ControlDesign{"Label11", NX, Label, "", 8040, 2040, 615, 255, "On/Off", "", Black, NC, Def, Tr},
    ControlDesign{"Command34", NX, Button, "", 7680, 1680, 855, 615, "STOP", "", NC, NC, Def, Hid | B},
    ControlDesign{"Line6", NX, Line, "", 5280, 2280, 3840, 15, "", "", NC, Grey, Def, 0},
    ControlDesign{"Label13", NX, Label, "", 5280, 2280, 1335, 495, "Orvanto", "", 0x800000, NC, Times, B | I | Tr},
    ControlDesign{"Picture1", NX, Picture, "", 6720, 2280, 495, 495, "", " Par Kalix ", NC, White, Def, Hid},
    ControlDesign{"Label14", NX, Label, "", 7320, 2280, 735, 495, "Live", "", 0x800000, NC, Times, B | I | Tr},
    ControlDesign{"Label16", NX, Label, "", 8280, 2280, 615, 495, "TV", "", 0x800000, NC, Times, B | I | Tr},
    ControlDesign{"Line4", NX, Line, "", 5280, 2760, 3840, 15, "", "", NC, Silver, Def, 0},
    ControlDesign{"Image1", NX, Image, "", 5280, 2880, 2295, 2250, "", "", NC, NC, Def, 0},
    ControlDesign{"Label17", NX, Label, "", 7920, 3480, 1335, 1575, "Deksi Klick stin Othoni tou Player  kai Zoom gia na megalosi i eikona....doulewi  me ola ta Win media player ", "", 0x004000, NC, Def, Tr},

    // The player and the labels over it.
    ControlDesign{"WMPTV", NX, Player, "", 0, 0, 4935, 5175, "", "", NC, NC, Def, 0},
    ControlDesign{"Label4", NX, Label, "", 0, 0, 705, 255, " Othoni", "", White, NC, MsSerif, Tr | Hand},
    ControlDesign{"Label15", NX, Label, "", 2040, 0, 855, 255, "Alarme ON", "", White, NC, MsSerif, Hid | Ctr | Tr | Hand},
    ControlDesign{"Label3", NX, Label, "", 4680, 0, 255, 225, " ->", " Tilexiristirio  On ", White, NC, Def, Hid | Tr | B | Hand},
    ControlDesign{"Label5", NX, Label, "", 4940, 0, 255, 255, " <-", "Tilexiristirio Off", Black, Cyan, Def, B | Hand},

    // The page row.
    ControlDesign{"Option1", 0, Option, "", 5400, 80, 255, 255, "Option1", "", Black, Cyan, Def, Sel},
    ControlDesign{"tv_label", 0, Label, "", 5640, 80, 255, 255, "TV", "", Navy, NC, Def, B | Tr},
    ControlDesign{"Option1", 1, Option, "", 6000, 80, 255, 255, "Option1", "", Black, Cyan, Def, 0},
    ControlDesign{"tv_label", 1, Label, "", 6240, 80, 255, 255, "TV", "", Navy, NC, Def, B | Tr},
    ControlDesign{"Option1", 2, Option, "", 6600, 80, 255, 255, "Option1", "", Black, Cyan, Def, 0},
    ControlDesign{"tv_label", 2, Label, "", 6840, 80, 255, 255, "TV", "", Navy, NC, Def, B | Tr},
    ControlDesign{"Option1", 3, Option, "", 7200, 80, 255, 255, "Option1", "", Black, Cyan, Def, 0},
    ControlDesign{"tv_label", 3, Label, "", 7440, 80, 255, 255, "TV", "", Navy, NC, Def, B | Tr},
    ControlDesign{"Option1", 4, Option, "", 7800, 80, 255, 255, "Option1", "", Black, Cyan, Def, 0},
    ControlDesign{"tv_label", 4, Label, "", 8040, 80, 255, 255, "TV", "", 0x0000FF, NC, Def, B | Tr},
    ControlDesign{"Option1", 5, Option, "", 8640, 80, 255, 255, "Option1", "", Black, Cyan, Def, 0},
    ControlDesign{"Label8", NX, Label, "", 8880, 75, 615, 255, "ORA", "", 0x0000FF, NC, Def, B | Tr},

    // The station panel, parked outside the window until start-up moves it in.
    ControlDesign{"sender_frame", NX, Frame, "", 9840, 120, 4250, 4815, "TV", "", Navy, Green, Def, Hid | B},
    ControlDesign{"sender_waehlen", 0, Button, "sender_frame", 120, 360, 2000, 375, "Zagros TV", "", NC, NC, Def, 0},
    ControlDesign{"sender_waehlen", 1, Button, "sender_frame", 120, 840, 2000, 375, "Zagros TV", "", NC, NC, Def, 0},
    ControlDesign{"sender_waehlen", 2, Button, "sender_frame", 120, 1320, 2000, 375, "Zagros TV", "", NC, NC, Def, 0},
    ControlDesign{"sender_waehlen", 3, Button, "sender_frame", 120, 1800, 2000, 375, "Zagros TV", "", NC, NC, Def, 0},
    ControlDesign{"sender_waehlen", 4, Button, "sender_frame", 120, 2280, 2000, 375, "Zagros TV", "", NC, NC, Def, 0},
    ControlDesign{"sender_waehlen", 5, Button, "sender_frame", 120, 2760, 2000, 375, "Zagros TV", "", NC, NC, Def, 0},
    ControlDesign{"sender_waehlen", 6, Button, "sender_frame", 120, 3240, 2000, 375, "Zagros TV", "", NC, NC, Def, 0},
    ControlDesign{"sender_waehlen", 7, Button, "sender_frame", 120, 3720, 2000, 375, "Zagros TV", "", NC, NC, Def, 0},
    ControlDesign{"sender_waehlen", 8, Button, "sender_frame", 120, 4200, 2000, 375, "Zagros TV", "", NC, NC, Def, 0},
    ControlDesign{"sender_waehlen", 9, Button, "sender_frame", 2160, 360, 2000, 375, "Zagros TV", "", NC, NC, Def, 0},
    ControlDesign{"sender_waehlen", 10, Button, "sender_frame", 2160, 840, 2000, 375, "Zagros TV", "", NC, NC, Def, 0},
    ControlDesign{"sender_waehlen", 11, Button, "sender_frame", 2160, 1320, 2000, 375, "Zagros TV", "", NC, NC, Def, 0},
    ControlDesign{"sender_waehlen", 12, Button, "sender_frame", 2160, 1800, 2000, 375, "Zagros TV", "", NC, NC, Def, 0},
    ControlDesign{"sender_waehlen", 13, Button, "sender_frame", 2160, 2280, 2000, 375, "Zagros TV", "", NC, NC, Def, 0},
    ControlDesign{"sender_waehlen", 14, Button, "sender_frame", 2160, 2760, 2000, 375, "Zagros TV", "", NC, NC, Def, 0},
    ControlDesign{"sender_waehlen", 15, Button, "sender_frame", 2160, 3240, 2000, 375, "Zagros TV", "", NC, NC, Def, 0},
    ControlDesign{"sender_waehlen", 16, Button, "sender_frame", 2160, 3720, 2000, 375, "Zagros TV", "", NC, NC, Def, 0},
    ControlDesign{"sender_waehlen", 17, Button, "sender_frame", 2160, 4200, 2000, 375, "Zagros TV", "", NC, NC, Def, 0},

    // The status and bar row.
    ControlDesign{"Label29", NX, Label, "", 0, 5160, 3015, 375, "Stream:", "", Black, Cyan, Def, 0},
    ControlDesign{"Line5", NX, Line, "", 5280, 5160, 3960, 15, "", "", NC, Silver, Def, 0},
    ControlDesign{"Command47", NX, Button, "", 3000, 5280, 1695, 255, "Diavaste", "", NC, NC, Def, 0},
    ControlDesign{"Command55", NX, Button, "", 4800, 5280, 1575, 255, "Download silverlight", "", NC, NC, Def, 0},
    ControlDesign{"Command7", NX, Button, "", 6480, 5280, 2775, 255, "Klick edo gia  RADIOFONA", "", NC, NC, Def, 0},

    // The button grid: one button inside the frame, the others laid over it.
    ControlDesign{"Frame4", NX, Frame, "", 0, 5640, 9375, 3195, "TV", "", Black, Green, Def, 0},
    ControlDesign{"command100", NX, Button, "Frame4", 120, 240, 1215, 375, "ADULT 1", "", NC, NC, Def, 0},
    ControlDesign{"Command8", NX, Button, "", 1440, 5880, 1215, 375, "ADULT 7", "", NC, NC, Def, 0},
    ControlDesign{"Command36", NX, Button, "", 2760, 5880, 1215, 375, "Live Sport !!", "", NC, NC, Def, 0},
    ControlDesign{"Command21", NX, Button, "", 4080, 5880, 1215, 375, " Tube Music", "", NC, NC, Def, 0},
    ControlDesign{"Command38", NX, Button, "", 5400, 5880, 1215, 375, "Flasch TV", "", NC, NC, Def, 0},
    ControlDesign{"Command51", NX, Button, "", 6720, 5880, 1215, 375, "Live Cam", "", NC, NC, Def, 0},
    ControlDesign{"Command37", NX, Button, "", 8040, 5880, 1215, 375, "greeklish-greek", "", NC, NC, Def, 0},
    ControlDesign{"Command1", NX, Button, "", 120, 6360, 1215, 375, "ADULT 2", "", NC, NC, Def, 0},
    ControlDesign{"Command9", NX, Button, "", 1440, 6360, 1215, 375, "ADULT 8", "", NC, NC, Def, 0},
    ControlDesign{"Command16", NX, Button, "", 2760, 6360, 1215, 375, "Sport Live!!!", "", NC, NC, Def, 0},
    ControlDesign{"Command29", NX, Button, "", 4080, 6360, 1215, 375, "SKAI TV", "", NC, NC, Def, 0},
    ControlDesign{"Command49", NX, Button, "", 5400, 6360, 1215, 375, "Astra TV", "", NC, NC, Def, 0},
    ControlDesign{"Command25", NX, Button, "", 6720, 6360, 1215, 375, "Vegos TV", "", NC, NC, Def, 0},
    ControlDesign{"Command44", NX, Button, "", 8040, 6360, 1215, 375, "politician.example", "", NC, NC, Def, 0},
    ControlDesign{"Command3", NX, Button, "", 120, 6840, 1215, 375, "ADULT 3", "", NC, NC, Def, 0},
    ControlDesign{"Command10", NX, Button, "", 1440, 6840, 1215, 375, "ADULT 9", "", NC, NC, Def, 0},
    ControlDesign{"Command19", NX, Button, "", 2760, 6840, 1215, 375, "Sport Live !!", "", NC, NC, Def, 0},
    ControlDesign{"Command22", NX, Button, "", 4080, 6840, 1215, 375, "Kanali 10", "", NC, NC, Def, 0},
    ControlDesign{"Command28", NX, Button, "", 5400, 6840, 1215, 375, "Egnatia TV", "", NC, NC, Def, 0},
    ControlDesign{"Command15", NX, Button, "", 6720, 6840, 1215, 375, "ellinikes.tenies", "", NC, NC, Def, 0},
    ControlDesign{"Command40", NX, Button, "", 8040, 6840, 1215, 375, "dailynews.example", "", NC, NC, Def, 0},
    ControlDesign{"Command4", NX, Button, "", 120, 7320, 1215, 375, "ADULT 4", "", NC, NC, Def, 0},
    ControlDesign{"Command11", NX, Button, "", 1440, 7320, 1215, 375, "ADULT 10", "", NC, NC, Def, 0},
    ControlDesign{"Command20", NX, Button, "", 2760, 7320, 1215, 375, "Live Sport!!!", "", NC, NC, Def, 0},
    ControlDesign{"Command35", NX, Button, "", 4080, 7320, 1215, 375, "Epsilon TV", "", NC, NC, Def, 0},
    ControlDesign{"Command14", NX, Button, "", 5400, 7320, 1215, 375, "ET1", "", NC, NC, Def, 0},
    ControlDesign{"Command50", NX, Button, "", 6720, 7320, 1215, 375, "greek-movies", "", NC, NC, Def, 0},
    ControlDesign{"Command39", NX, Button, "", 8040, 7320, 1215, 375, "newsportal.example", "", NC, NC, Def, 0},
    ControlDesign{"Command5", NX, Button, "", 120, 7800, 1215, 375, "ADULT 5", "", NC, NC, Def, 0},
    ControlDesign{"Command12", NX, Button, "", 1440, 7800, 1215, 375, "ADULT 11", "", NC, NC, Def, 0},
    ControlDesign{"Command24", NX, Button, "", 2760, 7800, 1215, 375, "TileSport", "", NC, NC, Def, 0},
    ControlDesign{"Command26", NX, Button, "", 4080, 7800, 1215, 375, "Kinigi TV", "", NC, NC, Def, 0},
    ControlDesign{"Command30", NX, Button, "", 5400, 7800, 1215, 375, "Greek Music", "", NC, NC, Def, 0},
    ControlDesign{"Command48", NX, Button, "", 6720, 7800, 1215, 375, "greek-Movies", "", NC, NC, Def, 0},
    ControlDesign{"Command52", NX, Button, "", 8040, 7800, 1215, 375, "Meteorol. Ypire", "", NC, NC, Def, 0},
    ControlDesign{"Command6", NX, Button, "", 120, 8280, 1215, 375, "ADULT 6", "", NC, NC, Def, 0},
    ControlDesign{"Command13", NX, Button, "", 1440, 8280, 1215, 375, "ADULT 12", "", NC, NC, Def, 0},
    ControlDesign{"Command27", NX, Button, "", 2760, 8280, 1215, 375, "PAOK", "", NC, NC, Def, 0},
    ControlDesign{"Command17", NX, Button, "", 4080, 8280, 1215, 375, "Asteri TV", "", NC, NC, Def, 0},
    ControlDesign{"Command32", NX, Button, "", 5400, 8280, 1215, 375, "Asteri TV", "", NC, NC, Def, 0},
    ControlDesign{"Command18", NX, Button, "", 6720, 8280, 1215, 375, "Greek Movies", "", NC, NC, Def, 0},
    ControlDesign{"Command53", NX, Button, "", 8040, 8280, 1215, 375, "Online Metafra", "", NC, NC, Def, 0},
};
// clang-format on

// What a screen reader calls the controls whose captions do not show or do not say what they
// are for.
constexpr std::array kAccessibleNames{
    ControlName{"Option1", 0, "TV 1"},         ControlName{"Option1", 1, "TV 2"},
    ControlName{"Option1", 2, "TV 3"},         ControlName{"Option1", 3, "TV 4"},
    ControlName{"Option1", 4, "TV 5"},         ControlName{"Option1", 5, "ORA"},
    ControlName{"Combo1", NX, "Alarm ORA"},    ControlName{"Combo2", NX, "Alarm Lepta"},
    ControlName{"Check1", NX, "Alarm On/Off"}, ControlName{"Command34", NX, "Alarm STOP"},
};

// The order Tab visits the controls in: the page row, what the page shows (stations or the
// alarm), the player's bar, then the buttons below, row by row. Hidden ones are passed over.
constexpr std::array kTabOrder{
    ControlRef{"Option1", 0},         ControlRef{"Option1", 1},
    ControlRef{"Option1", 2},         ControlRef{"Option1", 3},
    ControlRef{"Option1", 4},         ControlRef{"Option1", 5},
    ControlRef{"sender_waehlen", 0},  ControlRef{"sender_waehlen", 1},
    ControlRef{"sender_waehlen", 2},  ControlRef{"sender_waehlen", 3},
    ControlRef{"sender_waehlen", 4},  ControlRef{"sender_waehlen", 5},
    ControlRef{"sender_waehlen", 6},  ControlRef{"sender_waehlen", 7},
    ControlRef{"sender_waehlen", 8},  ControlRef{"sender_waehlen", 9},
    ControlRef{"sender_waehlen", 10}, ControlRef{"sender_waehlen", 11},
    ControlRef{"sender_waehlen", 12}, ControlRef{"sender_waehlen", 13},
    ControlRef{"sender_waehlen", 14}, ControlRef{"sender_waehlen", 15},
    ControlRef{"sender_waehlen", 16}, ControlRef{"sender_waehlen", 17},
    ControlRef{"Combo1", NX},         ControlRef{"Combo2", NX},
    ControlRef{"Check1", NX},         ControlRef{"Command34", NX},
    ControlRef{"WMPTV", NX}, // the player's own controls, in their order
    ControlRef{"Command47", NX},      ControlRef{"Command55", NX},
    ControlRef{"Command7", NX},       ControlRef{"command100", NX},
    ControlRef{"Command8", NX},       ControlRef{"Command36", NX},
    ControlRef{"Command21", NX},      ControlRef{"Command38", NX},
    ControlRef{"Command51", NX},      ControlRef{"Command37", NX},
    ControlRef{"Command1", NX},       ControlRef{"Command9", NX},
    ControlRef{"Command16", NX},      ControlRef{"Command29", NX},
    ControlRef{"Command49", NX},      ControlRef{"Command25", NX},
    ControlRef{"Command44", NX},      ControlRef{"Command3", NX},
    ControlRef{"Command10", NX},      ControlRef{"Command19", NX},
    ControlRef{"Command22", NX},      ControlRef{"Command28", NX},
    ControlRef{"Command15", NX},      ControlRef{"Command40", NX},
    ControlRef{"Command4", NX},       ControlRef{"Command11", NX},
    ControlRef{"Command20", NX},      ControlRef{"Command35", NX},
    ControlRef{"Command14", NX},      ControlRef{"Command50", NX},
    ControlRef{"Command39", NX},      ControlRef{"Command5", NX},
    ControlRef{"Command12", NX},      ControlRef{"Command24", NX},
    ControlRef{"Command26", NX},      ControlRef{"Command30", NX},
    ControlRef{"Command48", NX},      ControlRef{"Command52", NX},
    ControlRef{"Command6", NX},       ControlRef{"Command13", NX},
    ControlRef{"Command27", NX},      ControlRef{"Command17", NX},
    ControlRef{"Command32", NX},      ControlRef{"Command18", NX},
    ControlRef{"Command53", NX},
};

} // namespace

std::span<const ControlDesign> windowLayout() {
    return kLayout;
}

std::span<const ControlName> accessibleNames() {
    return kAccessibleNames;
}

std::span<const ControlRef> tabOrder() {
    return kTabOrder;
}

} // namespace orvanto
