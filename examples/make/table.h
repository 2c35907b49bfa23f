#define TABLE_SIZE 4
int table_entry(int index);
