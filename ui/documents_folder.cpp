#include "ui/documents_folder.h"

#include <QFile>
#include <QStandardPaths>

std::string DocumentsFolder() {
  return QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
      .toStdString();
}
