#pragma once

// The rules by which the running saver notices its user. Keys, mouse buttons and
// the loss of activation always end it; a mouse movement ends it only when it
// changes both coordinates since the last one seen, so the first report after
// the start and purely horizontal or vertical movements do not.
class CSaverInput {
  public:
    // True when this mouse position ends the saver; the position is remembered either way.
    bool OnMouseMove(int x, int y);

  private:
    int m_nLastMouseX = -1;
    int m_nLastMouseY = -1;
};
