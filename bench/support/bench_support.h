#pragma once
// What the benchmarks share: a large paper in a bank built once per run.

#include <QString>

// A bank holding one paper of `rows` nodes and exercise 1 with a result row
// per node, built on first use and kept until the run ends.
const QString& LargeBankPath(int rows);
