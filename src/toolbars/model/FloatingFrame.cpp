#include "toolbars/model/FloatingFrame.h"

#include <algorithm>

QSize FloatWindowSize(QSize Client, const TFloatMetrics& M) { return Client + FrameExtra(M); }
QPoint FloatClientOrigin(const TFloatMetrics& M) { return QPoint(M.F, M.F + M.C); }
QSize FrameExtra(const TFloatMetrics& M) { return QSize(2 * M.F, 2 * M.F + M.C); }

TRect CaptionRect(QSize Client, bool CloseButton, const TFloatMetrics& M)
{
    TRect r{M.F, M.F, M.F + Client.width(), M.F + M.C - 1};
    if (!CloseButton) r.Right -= M.C - 1;
    return r;
}

TRect CloseButtonRect(QSize Client, const TFloatMetrics& M)
{
    const TRect c = CaptionRect(Client, true, M);
    return {c.Right - (M.C - 1), c.Top, c.Right, c.Top + M.C - 1};
}

THitCode FloatHitTest(QPoint P, QSize Client, bool CloseButton, const TFloatMetrics& M)
{
    const QSize w = FloatWindowSize(Client, M);
    if (P.x() < 0 || P.y() < 0 || P.x() >= w.width() || P.y() >= w.height()) return htNowhere;
    if (TRect::At(FloatClientOrigin(M), Client).Contains(P)) return htClient;
    const TRect caption = CaptionRect(Client, true, M);
    if (caption.Contains(P)) return CloseButton && CloseButtonRect(Client, M).Contains(P) ? htClose : htCaption;
    if (P.y() <= M.F) return htTop;
    if (P.y() >= w.height() - M.F - 1) return htBottom;
    if (P.x() <= M.F) return htLeft;
    if (P.x() >= w.width() - M.F - 1) return htRight;
    return htNowhere;
}

TRect KeepOnWorkArea(const TRect& R, const TRect& A, bool OnlyIfFullyOff)
{
    if (OnlyIfFullyOff && R.Intersects(A)) return R;
    TRect r = R;
    if (r.Right > A.Right) r = r.Moved(A.Right - r.Right, 0);
    if (r.Bottom > A.Bottom) r = r.Moved(0, A.Bottom - r.Bottom);
    if (r.Left < A.Left) r = r.Moved(A.Left - r.Left, 0);
    if (r.Top < A.Top) r = r.Moved(0, A.Top - r.Top);
    return r;
}

QString ElideCaption(const QString& Caption, int Width, const std::function<int(const QString&)>& TextWidth)
{
    if (TextWidth(Caption) <= Width) return Caption;
    QString t = Caption + "...";
    while (t.size() >= 5 && TextWidth(t) > Width) t.remove(t.size() - 4, 1);
    return t;
}
