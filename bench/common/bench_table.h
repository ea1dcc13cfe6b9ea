// What every benchmark program shares: a clock, repeated samples and their summary, and the rows
// that scripts/bench gathers into one table. A row reads
//   | what was measured | median | min | max | unit |
// and each row's median comes once more, after the table, as "figure NAME VALUE UNIT".
#pragma once

#include <string>
#include <vector>

// Seconds on the performance counter.
double Now();

class Samples {
 public:
  void Add(double value) { values_.push_back(value); }
  bool Empty() const { return values_.empty(); }
  size_t Size() const { return values_.size(); }
  double Median() const { return Quantile(0.5); }
  double Min() const { return Quantile(0.0); }
  double Max() const { return Quantile(1.0); }
  // The value below which the given share of the samples lie.
  double Quantile(double share) const;

 private:
  std::vector<double> values_;
};

// Milliseconds that operation takes, once.
template <typename Operation>
double MillisecondsOf(Operation operation) {
  double start = Now();
  operation();
  return (Now() - start) * 1000;
}

// Prints one row now and keeps its figure for PrintFigures.
void Row(const std::string& figure, const std::string& label, const Samples& samples, const char* unit);
// A row of one derived value (no spread of its own).
void DerivedRow(const std::string& figure, const std::string& label, double value, const char* unit);
// A row for a measure that could not be taken; it has no figure.
void FailedRow(const std::string& label, const char* why);
void PrintFigures();
