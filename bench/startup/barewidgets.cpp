// The least a Qt Widgets program does that talks to the display: it makes its application
// object (which connects to the X server and loads the platform plugin) and ends. The
// launcher benchmark (bench/startup/run_launchers.py) holds the reader's launcher copies
// against it.
#include <QApplication>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  return 0;
}
