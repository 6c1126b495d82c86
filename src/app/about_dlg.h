#pragma once

// The About box "Informazioni su Kavri": the application icon, the name and version, and OK.

#include <QDialog>

namespace kavri {

inline constexpr const char* kAboutCaption = "Informazioni su Kavri";
// The text beside the icon: "Kavri Versione " and the version.
const char* const kAboutTextPrefix = "Kavri Versione ";

class AboutDlg : public QDialog {
    Q_OBJECT

 public:
    explicit AboutDlg(QWidget* parent = nullptr);
};

}  // namespace kavri
