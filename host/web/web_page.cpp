#include "host/web/web_page.h"

#include <emscripten.h>

// The JavaScript halves. Pointers arrive as byte offsets into the module's memory, read through
// the HEAP views, which are re-read on every call because memory growth replaces them.
EM_JS(void, web_js_open, (int32_t width, int32_t height), { LumaPage.open(width, height); });

EM_JS(void, web_js_present, (const uint32_t* rgba, int32_t width, int32_t height),
      { LumaPage.present(HEAPU8.subarray(rgba, rgba + width * height * 4), width, height); });

EM_JS(int32_t, web_js_key_held, (const char* code),
      { return LumaPage.keyHeld(UTF8ToString(code)) ? 1 : 0; });

EM_JS(int32_t, web_js_next_event, (WebEvent * event), {
    const next = LumaPage.nextEvent();
    if (!next)
        return 0;
    HEAP32.set([ next.kind, next.detail, next.x, next.y ], event >> 2);
    return 1;
});

EM_JS(void, web_js_check_topmost, (int32_t checked), { LumaPage.checkTopmost(checked != 0); });

EM_JS(void, web_js_message_box, (const char* caption, const char* text, int32_t length),
      { LumaPage.messageBox(UTF8ToString(caption), HEAPU8.slice(text, text + length)); });

EM_ASYNC_JS(int32_t, web_js_dialog_wait, (), { return await LumaPage.dialog(); });

EM_JS(void, web_js_ended, (int32_t exit_code), { LumaPage.ended(exit_code); });

EM_JS(void, web_js_report, (const char* text), { LumaPage.report(UTF8ToString(text)); });

void web_page_open(int32_t width, int32_t height)
{
    web_js_open(width, height);
}

void web_page_present(const uint32_t* rgba, int32_t width, int32_t height)
{
    web_js_present(rgba, width, height);
}

bool web_page_key_held(const char* code)
{
    return web_js_key_held(code) != 0;
}

bool web_page_next_event(WebEvent* event)
{
    return web_js_next_event(event) != 0;
}

void web_page_check_topmost(bool checked)
{
    web_js_check_topmost(checked ? 1 : 0);
}

void web_page_message_box(const char* caption, const char* text, int32_t length)
{
    web_js_message_box(caption, text, length);
}

WebDialogAction web_page_dialog_wait()
{
    return static_cast<WebDialogAction>(web_js_dialog_wait());
}

void web_page_ended(int32_t exit_code)
{
    web_js_ended(exit_code);
}

void web_page_report(const char* text)
{
    web_js_report(text);
}
