#include "demo/demo_script.h"

#include "platform/random.h"
#include "platform/surface.h"
#include "text/msgwin.h"
#include "text/text.h"

const char* const demo_texts[DEMO_TEXT_COUNT] = {
    // \c今から\i[0,255,255]表示\i[255,255,255]テスト\n\cを行います。
    "\\c\x8d\xa1\x82\xa9\x82\xe7\\i[0,255,255]\x95\\\x8e\xa6\\i[255,255,255]\x83"
    "e\x83X\x83g\\n\\c\x82\xf0\x8ds\x82\xa2\x82\xdc\x82\xb7\x81"
    "B",
    // \c\i[64,255,255]ゆらゆら
    "\\c\\i[64,255,255]\x82\xe4\x82\xe7\x82\xe4\x82\xe7",
    // \c\i[255,255,64]びりびり
    "\\c\\i[255,255,64]\x82\xd1\x82\xe8\x82\xd1\x82\xe8",
    // \cて\i[255,0,255]きと\i[255,255,255]ー
    "\\c\x82\xc4\\i[255,0,255]\x82\xab\x82\xc6\\i[255,255,255]\x81[",
    // \c\i[0,255,0]テ\i[255,255,255]キトー
    "\\c\\i[0,255,0]\x83"
    "e\\i[255,255,255]\x83L\x83g\x81[",
    // \c\i[255,0,0]適\i[0,255,255]当
    "\\c\\i[255,0,0]\x93K\\i[0,255,255]\x93\x96",
    // \c\i[255,255,0]てす\i[0,0,255]て\i[255,255,0]す
    "\\c\\i[255,255,0]\x82\xc4\x82\xb7\\i[0,0,255]\x82\xc4\\i[255,255,0]\x82\xb7",
    // \c\i[0,255,0]本\i[255,255,255]当に
    "\\c\\i[0,255,0]\x96{\\i[255,255,255]\x93\x96\x82\xc9",
    // \c\i[255,0,0]あっ！
    "\\c\\i[255,0,0]\x82\xa0\x82\xc1\x81I",
    // \c\i[0,255,255]「・・・」
    "\\c\\i[0,255,255]\x81u\x81"
    "E\x81"
    "E\x81"
    "E\x81v",
    // \c\i[255,0,255]適当なところで終了して下さい
    "\\c\\i[255,0,255]\x93K\x93\x96\x82\xc8\x82\xc6\x82\xb1\x82\xeb\x82\xc5\x8fI\x97\xb9\x82\xb5"
    "\x82\xc4\x89\xba\x82\xb3\x82\xa2",
};

namespace {

constexpr int32_t DEMO_MAIN_Y = 50;
constexpr int32_t DEMO_MAIN_HEIGHT = 64;
constexpr int32_t DEMO_POPUP_SPACING = 60;
constexpr int32_t DEMO_POPUP_WIDTH = 200;
constexpr int32_t DEMO_POPUP_HEIGHT = 32;
constexpr int32_t DEMO_POPUP_FLAGS = 1;
constexpr int32_t DEMO_POPUP_X_RANGE = 300;
constexpr int32_t DEMO_POPUP_REFILL_X = 150;
constexpr int32_t DEMO_POPUP_REFILL_X_RANGE = 150;
constexpr int32_t DEMO_POPUP_WAIT_RANGE = 50;
constexpr int32_t DEMO_POPUP_PHASE_FRAMES = 60;
constexpr int32_t DEMO_POPUP_TEXT_FIRST = 3;
constexpr int32_t DEMO_POPUP_TEXT_COUNT = 7;
constexpr int32_t DEMO_CLOSING_FRAME = 150;
constexpr int32_t DEMO_CLOSING_Y = 400;
constexpr int32_t DEMO_TEXT_INTRO = 0;
constexpr int32_t DEMO_TEXT_SWAY = 1;
constexpr int32_t DEMO_TEXT_SHAKE = 2;
constexpr int32_t DEMO_TEXT_CLOSING = 10;

// The effects a pop-up may appear with, by the result of random(5).
constexpr int32_t DEMO_POPUP_EFFECTS[] = {MSGWIN_FX_PLAIN, MSGWIN_FX_SWAY, MSGWIN_FX_FADE_IN,
                                          MSGWIN_FX_SHAKE, MSGWIN_FX_BLINDS};

// How many calls states 1 to 8 wait before their action runs.
constexpr int32_t DEMO_WAITS[DEMO_STATE_POPUPS] = {0, 60, 60, 20, 40, 20, 30, 20, 30};

DemoScript script;

int32_t popup_y(int32_t position)
{
    return DEMO_POPUP_SPACING * (position + 1);
}

int32_t popup_text()
{
    return DEMO_POPUP_TEXT_FIRST + random_below(DEMO_POPUP_TEXT_COUNT);
}

void fade_in(int32_t window, int32_t text)
{
    msgwin_set_effect(window, MSGWIN_FX_FADE_IN);
    msgwin_set_text(window, demo_texts[text]);
}

void create_popup_windows()
{
    for (int32_t i = 0; i < DEMO_POPUPS; ++i)
        script.popup_windows[i] =
            msgwin_create(random_below(DEMO_POPUP_X_RANGE), popup_y(i), DEMO_POPUP_WIDTH,
                          DEMO_POPUP_HEIGHT, DEMO_POPUP_FLAGS);
}

// The draws of each pop-up in this order: text, x, countdown.
void fill_popups()
{
    for (int32_t i = 0; i < DEMO_POPUPS; ++i) {
        DemoPopper& popup = script.popups[i];
        popup.phase = DEMO_PHASE_WAITING;
        popup.text = popup_text();
        popup.window = script.popup_windows[i];
        popup.y = popup_y(i);
        popup.x = DEMO_POPUP_REFILL_X + random_below(DEMO_POPUP_REFILL_X_RANGE);
        popup.countdown = random_below(DEMO_POPUP_WAIT_RANGE);
    }
}

// The actions of states 1 to 8, each run on its wait's last call.
void run_state_action(int32_t state)
{
    const int32_t first = script.popup_windows[0];
    const int32_t second = script.popup_windows[1];
    switch (state) {
    case 1:
        msgwin_set_effect(script.main_window, MSGWIN_FX_DISSOLVE);
        break;
    case 2:
        msgwin_set_effect(script.main_window, MSGWIN_HIDDEN);
        create_popup_windows();
        fade_in(script.popup_windows[0], DEMO_TEXT_SWAY);
        break;
    case 3:
        fade_in(second, DEMO_TEXT_SHAKE);
        break;
    case 4:
        msgwin_set_effect(first, MSGWIN_FX_SWAY);
        break;
    case 5:
        msgwin_set_effect(second, MSGWIN_FX_SHAKE);
        break;
    case 6:
        msgwin_set_effect(first, MSGWIN_FX_DISSOLVE);
        break;
    case 7:
        msgwin_set_effect(second, MSGWIN_FX_DISSOLVE);
        break;
    case 8:
        fill_popups();
        break;
    default:
        break;
    }
}

void step_popup(DemoPopper& popup)
{
    if (--popup.countdown > 0)
        return;
    switch (popup.phase) {
    case DEMO_PHASE_WAITING:
        msgwin_set_tint(popup.window, 0);
        msgwin_set_effect(popup.window, DEMO_POPUP_EFFECTS[random_below(5)]);
        msgwin_set_text(popup.window, demo_texts[popup.text]);
        msgwin_move(popup.window, popup.x, popup.y);
        popup.countdown = DEMO_POPUP_PHASE_FRAMES;
        popup.phase = DEMO_PHASE_SHOWING;
        break;
    case DEMO_PHASE_SHOWING:
        msgwin_set_effect(popup.window, MSGWIN_FX_DISSOLVE);
        popup.countdown = DEMO_POPUP_PHASE_FRAMES;
        popup.phase = DEMO_PHASE_DISSOLVING;
        break;
    default:
        msgwin_set_effect(popup.window, MSGWIN_FX_DISSOLVE);
        popup.text = popup_text();
        popup.x = random_below(DEMO_POPUP_X_RANGE);
        popup.countdown = random_below(DEMO_POPUP_WAIT_RANGE);
        popup.phase = DEMO_PHASE_WAITING;
        break;
    }
}

void show_closing_line()
{
    msgwin_set_tint(script.main_window, 0);
    msgwin_set_position(script.main_window, 0, DEMO_CLOSING_Y);
    msgwin_set_text(script.main_window, demo_texts[DEMO_TEXT_CLOSING]);
    msgwin_clear_flags(script.main_window, MSGWIN_HIDDEN);
    msgwin_set_effect(script.main_window, MSGWIN_FX_FADE_IN);
}

} // namespace

int32_t demo_script_init()
{
    script = {};
    script.main_window = msgwin_create(0, DEMO_MAIN_Y, surface_width(), DEMO_MAIN_HEIGHT, 0);
    return script.main_window;
}

void demo_script_step()
{
    if (script.state == 0) {
        msgwin_set_tint(script.main_window, 0);
        fade_in(script.main_window, DEMO_TEXT_INTRO);
        script.state = 1;
        script.state_frames = 1;
        return;
    }
    if (script.state < DEMO_STATE_POPUPS) {
        if (script.state_frames != DEMO_WAITS[script.state]) {
            ++script.state_frames;
            return;
        }
        run_state_action(script.state);
        ++script.state;
        script.state_frames = 1;
        return;
    }
    for (DemoPopper& popup : script.popups)
        step_popup(popup);
    if (script.state_frames == DEMO_CLOSING_FRAME)
        show_closing_line();
    ++script.state_frames;
}

const DemoScript& demo_script()
{
    return script;
}
