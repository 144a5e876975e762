# Sends what each start of the activity handed over, one start after the other, on a worker
# thread of its own. What a start asks for is read at once on the main thread (the desktop
# deletes the message files from the phone a few seconds after the start); the sending itself
# waits its turn on the worker. The service stops itself when the last start's work is done.
.class public Lcom/VUVEZAZUREVAVU/SendService;
.super Landroid/app/Service;
.source "SendService.smali"


.field private thread:Landroid/os/HandlerThread;

.field private worker:Landroid/os/Handler;


.method public constructor <init>()V
    .registers 1

    invoke-direct {p0}, Landroid/app/Service;-><init>()V

    return-void
.end method

.method public onBind(Landroid/content/Intent;)Landroid/os/IBinder;
    .registers 3

    const/4 v0, 0x0

    return-object v0
.end method

.method public onCreate()V
    .registers 4

    invoke-super {p0}, Landroid/app/Service;->onCreate()V

    new-instance v0, Landroid/os/HandlerThread;
    const-string v1, "tesk-companion-sender"
    invoke-direct {v0, v1}, Landroid/os/HandlerThread;-><init>(Ljava/lang/String;)V
    invoke-virtual {v0}, Landroid/os/HandlerThread;->start()V
    iput-object v0, p0, Lcom/VUVEZAZUREVAVU/SendService;->thread:Landroid/os/HandlerThread;

    new-instance v1, Landroid/os/Handler;
    invoke-virtual {v0}, Landroid/os/HandlerThread;->getLooper()Landroid/os/Looper;
    move-result-object v2
    invoke-direct {v1, v2}, Landroid/os/Handler;-><init>(Landroid/os/Looper;)V
    iput-object v1, p0, Lcom/VUVEZAZUREVAVU/SendService;->worker:Landroid/os/Handler;

    return-void
.end method

.method public onStartCommand(Landroid/content/Intent;II)I
    .registers 7

    # Started with startForegroundService, the service must show its notice within seconds.
    invoke-direct {p0}, Lcom/VUVEZAZUREVAVU/SendService;->showSendingNotice()V

    invoke-static {p1}, Lcom/VUVEZAZUREVAVU/Messages;->fromStart(Landroid/content/Intent;)Ljava/util/ArrayList;
    move-result-object v0

    # A test message says so on the phone's screen, so the user sees the companion at work.
    if-eqz p1, :queue
    const-string v1, "TESTMSG"
    invoke-virtual {p1, v1}, Landroid/content/Intent;->getStringExtra(Ljava/lang/String;)Ljava/lang/String;
    move-result-object v1
    if-eqz v1, :queue
    const-string v2, "Tesk SMS: sending the test message to "
    invoke-virtual {v2, v1}, Ljava/lang/String;->concat(Ljava/lang/String;)Ljava/lang/String;
    move-result-object v1
    const/4 v2, 0x1
    invoke-static {p0, v1, v2}, Landroid/widget/Toast;->makeText(Landroid/content/Context;Ljava/lang/CharSequence;I)Landroid/widget/Toast;
    move-result-object v1
    invoke-virtual {v1}, Landroid/widget/Toast;->show()V

    :queue
    new-instance v1, Lcom/VUVEZAZUREVAVU/SendJob;
    invoke-direct {v1, p0, v0, p3}, Lcom/VUVEZAZUREVAVU/SendJob;-><init>(Landroid/app/Service;Ljava/util/ArrayList;I)V
    iget-object v2, p0, Lcom/VUVEZAZUREVAVU/SendService;->worker:Landroid/os/Handler;
    invoke-virtual {v2, v1}, Landroid/os/Handler;->post(Ljava/lang/Runnable;)Z

    # Nothing to resume after the process was killed: the desktop's files are gone by then.
    const/4 v0, 0x2

    return v0
.end method

.method public onDestroy()V
    .registers 2

    iget-object v0, p0, Lcom/VUVEZAZUREVAVU/SendService;->thread:Landroid/os/HandlerThread;
    invoke-virtual {v0}, Landroid/os/HandlerThread;->quitSafely()Z

    invoke-super {p0}, Landroid/app/Service;->onDestroy()V

    return-void
.end method

# The ongoing notice of a foreground service ("Sending text messages"); on Android 8 and later
# in a quiet channel of its own.
.method private showSendingNotice()V
    .registers 6

    :try_start
    sget v0, Landroid/os/Build$VERSION;->SDK_INT:I
    const/16 v1, 0x1a
    if-lt v0, v1, :old_builder

    const-class v0, Landroid/app/NotificationManager;
    invoke-virtual {p0, v0}, Lcom/VUVEZAZUREVAVU/SendService;->getSystemService(Ljava/lang/Class;)Ljava/lang/Object;
    move-result-object v0
    check-cast v0, Landroid/app/NotificationManager;

    new-instance v1, Landroid/app/NotificationChannel;
    const-string v2, "sending"
    const-string v3, "Sending text messages"
    # IMPORTANCE_LOW: shown, without sound.
    const/4 v4, 0x2
    invoke-direct {v1, v2, v3, v4}, Landroid/app/NotificationChannel;-><init>(Ljava/lang/String;Ljava/lang/CharSequence;I)V
    invoke-virtual {v0, v1}, Landroid/app/NotificationManager;->createNotificationChannel(Landroid/app/NotificationChannel;)V

    new-instance v0, Landroid/app/Notification$Builder;
    invoke-direct {v0, p0, v2}, Landroid/app/Notification$Builder;-><init>(Landroid/content/Context;Ljava/lang/String;)V
    goto :build

    :old_builder
    new-instance v0, Landroid/app/Notification$Builder;
    invoke-direct {v0, p0}, Landroid/app/Notification$Builder;-><init>(Landroid/content/Context;)V

    :build
    # android.R.drawable.stat_sys_upload, a public framework icon.
    const v1, 0x01080088
    invoke-virtual {v0, v1}, Landroid/app/Notification$Builder;->setSmallIcon(I)Landroid/app/Notification$Builder;
    const-string v1, "Sending text messages"
    invoke-virtual {v0, v1}, Landroid/app/Notification$Builder;->setContentTitle(Ljava/lang/CharSequence;)Landroid/app/Notification$Builder;
    invoke-virtual {v0}, Landroid/app/Notification$Builder;->build()Landroid/app/Notification;
    move-result-object v0

    const/4 v1, 0x1
    invoke-virtual {p0, v1, v0}, Lcom/VUVEZAZUREVAVU/SendService;->startForeground(ILandroid/app/Notification;)V
    :try_end
    .catch Ljava/lang/RuntimeException; {:try_start .. :try_end} :failed

    return-void

    :failed
    move-exception v0
    const-string v1, "TeskCompanion"
    const-string v2, "no foreground notice; a long list may be cut short"
    invoke-static {v1, v2, v0}, Landroid/util/Log;->w(Ljava/lang/String;Ljava/lang/String;Ljava/lang/Throwable;)I

    return-void
.end method
