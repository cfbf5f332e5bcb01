// The camera over the wrap-around map: position, eased height, yaw and pitch.
// needs: app/{d3dservices,frame,log,msgproc}
#pragma once

float GetCameraX();
float GetCameraY();       // the current height, not the target
float GetCameraZ();
float GetCameraYaw();
float GetCameraPitch();

// Start values, then one control step and the view transform.
void InitCamera();
// Places the camera over a tile as given: no wrap, no clamp.
void MoveCameraTo(int x, int z);
// The view transform from the camera state, set on the device.
void SetViewMatrix();
// One 0.5 step of the height toward its target; true when it moved.
bool EaseCameraHeight();
// Applies the first control that holds, held keys and screen edges in one fixed order.
void CheckCamera();

// ---- For tests: CheckCamera's held keys, polled or given ----

// The held camera keys CheckCamera polls, as a set of these bits.
enum
{
    CAMKEY_LEFT = 1,
    CAMKEY_RIGHT = 2,
    CAMKEY_UP = 4,
    CAMKEY_DOWN = 8,
    CAMKEY_END = 16,
    CAMKEY_HOME = 32,
    CAMKEY_INSERT = 64,
    CAMKEY_DELETE = 128
};
int PollCameraKeys();
// CheckCamera with the held keys given.
void SteerCamera(int iKeys);
