// The showcase in the browser page showcase.html; the page's address may script it.
#include "host/web/web.h"
#include "showcase/showcase.h"

int main(int argc, char** argv)
{
    return web_main(argc, argv, APP_SHOWCASE);
}
