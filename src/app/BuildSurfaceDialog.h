#pragma once
// Terrain > Build surface...: the files and choices of `vrkinfo build`, asked in one dialog.
#include "build/SurfaceBuild.h"

#include <QDialog>

#include <optional>

class QLineEdit;

// What the dialog asks for.
struct TBuildRequest {
    TSurveyFiles Files;
    TTriangulationOptions Options;
    QString Name;
};

class TfrmBuildSurface : public QDialog {
public:
    explicit TfrmBuildSurface(QWidget* parent = nullptr);
    // The request, or the reason the choices cannot make one.
    std::optional<TBuildRequest> Request(QString& problem) const;

private:
    void Accept();
    QLineEdit *txtPoints, *txtBreaklines, *txtBoundary, *txtColumns, *txtClasses, *txtMaxEdge,
        *txtName;
};

// Runs the dialog; none when it is cancelled.
std::optional<TBuildRequest> AskBuildRequest(QWidget* parent);
