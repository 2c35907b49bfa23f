#include <stdio.h>
#include "greeting.h"

int main(void)
{
    greet(GREETING_COUNT);
    return 0;
}
