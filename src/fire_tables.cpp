#include "fire_tables.h"

count_table country_2023{};
count_table country_2024{};
