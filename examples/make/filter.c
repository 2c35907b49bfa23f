#include "filter.h"

int filter(int sample)
{
    return sample / FILTER_GAIN;
}
