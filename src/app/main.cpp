// tamberlux: the page editor with the add-in, or a headless command.
#include <cstdio>

int main(int argc, char** argv) {
    (void)argc;
    (void)argv;
    std::fprintf(stderr, "tamberlux: not built yet\n");
    return 2;
}
