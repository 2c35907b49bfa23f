#define GREETING_COUNT 3
void greet(int count);
