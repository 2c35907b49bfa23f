#define FILTER_GAIN 2
int filter(int sample);
