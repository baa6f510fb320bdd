#include <cstdio>

int main()
{
    std::fputs("kestrelon-lab: not built yet\n", stderr);
    return 2;
}
