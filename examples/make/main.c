#include "filter.h"
#include "table.h"

int main(void)
{
    return filter(table_entry(0));
}
