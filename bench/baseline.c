/* The plain C reading of the fire_stats dialogue that the benchmark measures
 * against: scanf("%d") straight into the cell and printf for every text.
 * It is correct on numeric input only, and stops if the input ends. */

#include <stdio.h>

#define COUNTRIES 8
#define MIN_FIRES 100
#define MAX_FIRES 50000

static int country_2023[COUNTRIES];
static int country_2024[COUNTRIES];

static int read_valid_count(const char *prompt, int country, int *cell) {
  for (;;) {
    printf(prompt, country, MIN_FIRES, MAX_FIRES);
    if (scanf("%d", cell) != 1) {
      return 0;
    }
    if (*cell >= MIN_FIRES && *cell <= MAX_FIRES) {
      return 1;
    }
    printf("Μη έγκυρη τιμή. Ξαναπροσπάθησε.\n");
  }
}

int main(void) {
  for (int k = 0; k < COUNTRIES; ++k) {
    if (!read_valid_count("Χώρα %d:Δώσε αριθμό πυρκαγιών για το 2023 (%d έως %d): ", k + 1,
                          &country_2023[k]) ||
        !read_valid_count("Χώρα %d:Δώσε αριθμό πυρκαγιών για το 2024 (%d έως %d): ", k + 1,
                          &country_2024[k])) {
      return 1;
    }
  }
  printf("\n--- Αποτελέσματα Στατιστικής Ανάλυσης ---");
  int min_f = country_2023[0], max_f = country_2023[0], rising = 0, max_inc = 0, max_country = 0;
  for (int k = 0; k < COUNTRIES; ++k) {
    if (country_2023[k] < min_f) min_f = country_2023[k];
    if (country_2023[k] > max_f) max_f = country_2023[k];
    if (country_2023[k] < country_2024[k]) ++rising;
    if (country_2024[k] - country_2023[k] > max_inc) {
      max_inc = country_2024[k] - country_2023[k];
      max_country = k + 1;
    }
  }
  printf("\nΜικρότερος αριθμός πυρκαγιών το 2023: %d", min_f);
  printf("\nΜεγαλύτερος αριθμός πυρκαγιών το 2023: %d", max_f);
  printf("\nAριθμός χωρών με αύξηση πυρκαγιών το 2024: %d", rising);
  if (max_inc > 0) {
    printf("\nΗ χώρα %d είχε την μεγαλύτερη αύξηση πυρκαγιών: %d", max_country, max_inc);
  } else {
    printf("\nΚαμία χώρα δεν είχε αύξηση πυρκαγιών το 2024.");
  }
  return 0;
}
