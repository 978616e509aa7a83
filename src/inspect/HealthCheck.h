#pragma once
// The health check: a fixed, ordered set of consistency tests over a model. Each problem goes
// to a report as a row of entity text and problem text; triangle rows carry their triangle.
// The check window shows the rows in a grid, vrkinfo prints them.
#include <QString>

class TTriangle;
class TVandrelTINModel;

enum TEntityKind { ekPoint, ekTriangle, ekEdge, ekStartPoint };

// "Triangle 12", "Point 0"...
QString EntityText(TEntityKind kind, int number);

// Where the check writes its rows.
class THealthReport {
public:
    virtual ~THealthReport() = default;
    virtual void AddProblem(const QString& entity, const QString& problem, TTriangle* triangle) = 0;
    // A point or triangle row: the entity text is the kind's name and the number. A report that
    // keeps millions of rows may store the two instead of the text.
    virtual void AddEntityProblem(TEntityKind kind, int number, const QString& problem,
                                  TTriangle* triangle) {
        AddProblem(EntityText(kind, number), problem, triangle);
    }
};

// Runs the whole check in row order: header offsets, points, triangles. Returns the number of
// problems. The triangles are tested in that many shares on as many threads (0: on every core
// for a large model), the rows the same whatever the count.
int CheckModel(const TVandrelTINModel& model, THealthReport& report, int shares = 0);
// "N problems found".
QString ProblemSummary(int problemCount);
