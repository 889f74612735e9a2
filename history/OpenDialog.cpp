#include "history/OpenDialog.h"

#include <QFileDialog>
#include <QStringList>

namespace {

HookSeam<OpenDialogHook>& Hook() {
  static HookSeam<OpenDialogHook> seam;
  return seam;
}

}  // namespace

bool TOpenDialog::Execute(QWidget* parent) {
  std::optional<QString> picked;
  if (const OpenDialogHook& hook = Hook().Get()) {
    picked = hook(filter_);
  } else {
    const QString path =
        QFileDialog::getOpenFileName(parent, QString(), QString(), QtFileFilter(filter_));
    if (!path.isEmpty()) picked = path;
  }
  if (!picked) return false;
  fileName_ = *picked;
  return true;
}

QString QtFileFilter(const QString& designFilter) {
  const QStringList parts = designFilter.split(QLatin1Char('|'));
  QStringList filters;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    filters << parts[i] + QStringLiteral(" (") + QString(parts[i + 1]).replace(';', ' ') +
                   QLatin1Char(')');
  }
  return filters.join(QStringLiteral(";;"));
}

OpenDialogHook SetOpenDialogHook(OpenDialogHook hook) {
  return Hook().Set(std::move(hook));
}
