// The demo in the browser page index.html; the page's address may script it (see web_script.h).
#include "host/web/web.h"

int main(int argc, char** argv)
{
    return web_main(argc, argv, APP_DEMO);
}
