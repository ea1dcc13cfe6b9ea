#include "bench/common/bench_table.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

struct Figure {
  std::string name;
  double value;
  std::string unit;
};

static std::vector<Figure> Figures;

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER value;
    QueryPerformanceFrequency(&value);
    return value;
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Samples::Quantile(double share) const {
  if (values_.empty()) return 0;
  std::vector<double> sorted = values_;
  std::sort(sorted.begin(), sorted.end());
  return sorted[static_cast<size_t>(share * static_cast<double>(sorted.size() - 1) + 0.5)];
}

static void PrintRow(const std::string& label, const char* median, const char* low, const char* high,
                     const char* unit) {
  printf("| %-66s | %10s | %10s | %10s | %-4s |\n", label.c_str(), median, low, high, unit);
}

static std::string Number(double value) {
  char text[32];
  snprintf(text, sizeof text, "%.3f", value);
  return text;
}

void Row(const std::string& figure, const std::string& label, const Samples& samples, const char* unit) {
  std::string withCount = label + " (" + std::to_string(samples.Size()) + "x)";
  PrintRow(withCount, Number(samples.Median()).c_str(), Number(samples.Min()).c_str(),
           Number(samples.Max()).c_str(), unit);
  Figures.push_back({figure, samples.Median(), unit});
}

void DerivedRow(const std::string& figure, const std::string& label, double value, const char* unit) {
  PrintRow(label, Number(value).c_str(), "", "", unit);
  Figures.push_back({figure, value, unit});
}

void FailedRow(const std::string& label, const char* why) { PrintRow(label + ": " + why, "-", "-", "-", ""); }

void PrintFigures() {
  for (const Figure& figure : Figures)
    printf("figure %s %.3f %s\n", figure.name.c_str(), figure.value, figure.unit.c_str());
  fflush(stdout);
}
