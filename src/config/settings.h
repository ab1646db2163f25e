// Every setting of the terminal, one field per key, with the key's default.
//
// Field names are the keys of the settings store. Defaults that depend on the
// user's language or on the current directory start empty here and are filled
// in when the settings are loaded.
#pragma once

#include <string>

namespace kestrel {

struct Settings {
    // Main window placement.
    int flags = -1;
    int showCmd = -1;
    int x1 = -1;
    int y1 = -1;
    int x2 = -1;
    int y2 = -1;
    int fullshow = 0;

    int vista = 1;
    int color_bg = 0x000000;
    int color_select = 0x008080;
    int color_red = 0x0000FF;
    int color_blue = 0xFF0000;
    int color_pink = 0xFF00FF;
    int color_green = 0x00FF00;
    int color_turquoise = 0xFFFF00;
    int color_yellow = 0x00FFFF;
    int color_white = 0xFFFFFF;
    int color_fields = 0x000080;
    int color_cursor = 0x808080;
    int typeahead = 0;
    int askprint = 1;
    int shift_arrow = 1;
    int fontsize = -16;
    int font_weight = 0;
    int font_italic = 0;
    int font_charset = 0;
    std::string font_name = "Courier New";
    int font_pcharset = 0;
    int pfontsize = -17;
    int pfont_weight = 0;
    int pfont_italic = 0;
    std::string pfont_name = "Courier New";
    int show_unprotected = 0;
    int use_cv = 1;
    int x_margin = 10;
    int y_margin = 2;
    int show_negotiation = 0;
    int bell = 1;
    int blink = 0;
    int crosshair = 0;
    int cursortype = 0;
    int mouse_cursor = 0;
    int table = 0;
    int excel_paste = 0;
    int confirm = 1;
    int exit = 0;
    int nocheck = 0;
    int alive = 0;
    int ssl = 0;
    int autologin = 0;
    std::string user;
    std::string password;
    int ignore_border = 0;
    int num_point = 1;
    int port = 23;
    int autoconnect = 0;
    int autoreconnect = 0;
    std::string host_name;
    std::string proxy_host = "proxy.example.com";
    int proxy_port = 1080;
    int proxy_enable = 0;
    int proxy_socks_enable = 1;
    std::string proxy_syntax = "$1 $2\\015\\012";
    std::string proxy_return = "\\015\\012";
    int alternate = 32;
    // The host history, newest first; the keys are "host_hist" with its first
    // 0..7 characters removed.
    std::string host_hist;
    std::string ost_hist;
    std::string st_hist;
    std::string t_hist;
    std::string _hist;
    std::string hist;
    std::string ist;
    std::string st;
    std::string recordcatalog;
    std::string keyname;
    std::string logname;
    int log_enable = 0;
    std::string ebcdic_id;
    int status_bar = 1;
    int knap_bar = 1;
};

}  // namespace kestrel
