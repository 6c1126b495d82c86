#pragma once

// The About box "Informazioni su Kavri": the application icon, the name and version, and OK.

#include <QDialog>

namespace kavri {

inline constexpr const char* kAboutCaption = "Informazioni su Kavri";
inline constexpr const char* kAboutText = "Kavri Versione 1.0";

class AboutDlg : public QDialog {
    Q_OBJECT

 public:
    explicit AboutDlg(QWidget* parent = nullptr);
};

}  // namespace kavri
